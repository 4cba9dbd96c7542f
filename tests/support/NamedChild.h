#pragma once

#include <QString>
#include <QWidget>

#include <gtest/gtest.h>

namespace vortalux::test {

// The control of `window` named `name` (its object name); a test failure when there is none.
template<typename T> T* NamedChild(const QWidget& window, const char* name)
{
    T* child = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

} // namespace vortalux::test
