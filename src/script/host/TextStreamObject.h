#pragma once

#include "RunBudget.h"
#include "ScriptObject.h"

#include <memory>
#include <string>

namespace vortalux::script {

// A "TextStream" of Scripting.FileSystemObject: a text file open for reading, writing or
// appending. Text is bytes, as everywhere in scripts. A stream for reading holds the whole
// file (definitions read small files), counted against the script's memory limit; one for
// writing writes each call straight to the file. Waiting on a FIFO or a device ends at the
// script's deadline.
//   Read(n), ReadLine, ReadAll, SkipLine, AtEndOfStream, AtEndOfLine, Line   (reading)
//   Write(text), WriteLine([text]), WriteBlankLines(n)                       (writing)
//   Close
// WriteLine ends lines with CR LF; ReadLine takes CR LF, LF or CR as a line end.
class TextStreamObject final : public ScriptObject {
public:
    enum class Mode { Read = 1, Write = 2, Append = 8 };
    // How a missing or existing file is treated when it is opened.
    enum class Disposition { OpenExisting, CreateIfMissing, CreateOrTruncate, CreateNew };

    // Opens `path`; raises 53, 58, 70, 76 ... as FileSystemObject does.
    static std::shared_ptr<TextStreamObject> Open(
        const std::string& path, Mode mode, Disposition disposition);

    ~TextStreamObject() override;
    TextStreamObject(const TextStreamObject&) = delete;
    TextStreamObject& operator=(const TextStreamObject&) = delete;

    std::string TypeName() const override { return "TextStream"; }
    Variant GetProperty(std::string_view name, std::vector<Variant>& args) override;
    Variant CallMethod(std::string_view name, std::vector<Variant>& args) override;

private:
    TextStreamObject(Mode mode, int descriptor, std::string text);

    void RequireReading() const;
    void RequireWriting() const;
    void WriteBytes(const std::string& bytes);
    std::string TakeLine();
    void Close();

    Mode m_mode;
    int m_descriptor;
    std::string m_text;
    // What m_text holds counts against the script's memory limit.
    RunBudget::Reservation m_textCharge;
    size_t m_position = 0;
    int32_t m_line = 1;
    bool m_closed = false;
    std::string m_path;
};

} // namespace vortalux::script
