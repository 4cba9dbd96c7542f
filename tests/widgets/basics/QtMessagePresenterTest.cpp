// The Qt face of text requests: a real input box, answered here as a user would.
#include "QtMessagePresenter.h"

#include <QApplication>
#include <QInputDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace vortalux;

namespace {

// What the open input box showed.
struct SeenBox {
    QString title;
    QString label;
    QString text;
    QPoint position;
    bool found = false;
};

} // namespace

TEST(QtMessagePresenter, TextRequestShowsAnInputBoxAndAnswersWhatWasTyped)
{
    QtMessagePresenter presenter;
    SeenBox seen;
    std::optional<std::string> answer;
    {
        auto shared = std::make_shared<SeenBox>();
        QTimer::singleShot(0, [shared] {
            auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            shared->found = true;
            shared->title = dialog->windowTitle();
            shared->label = dialog->labelText();
            shared->text = dialog->textValue();
            shared->position = dialog->pos();
            dialog->setTextValue(QString::fromUtf8("typed \u00e9"));
            dialog->accept();
        });
        answer = presenter.AskText({"Example Manager", "Name?", "dflt", 100, 200});
        seen = *shared;
    }
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.title.toStdString(), "Example Manager");
    EXPECT_EQ(seen.label.toStdString(), "Name?");
    EXPECT_EQ(seen.text.toStdString(), "dflt");
    EXPECT_EQ(seen.position, QPoint(100, 200));
    EXPECT_EQ(answer, "typed \xc3\xa9");
}

TEST(QtMessagePresenter, CancelledTextRequestAnswersNothing)
{
    QtMessagePresenter presenter;
    bool found = false;
    QTimer::singleShot(0, [&found] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        found = true;
        dialog->setTextValue(QString::fromUtf8("ignored"));
        dialog->reject();
    });
    EXPECT_EQ(presenter.AskText({"Example", "Name?", "", {}, {}}), std::nullopt);
    EXPECT_TRUE(found);
}
