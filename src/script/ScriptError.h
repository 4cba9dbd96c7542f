#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vortalux::script {

// Error numbers the interpreter raises, with VBScript's own numbering.
namespace errc {
inline constexpr int32_t InvalidProcedureCall = 5;
inline constexpr int32_t Overflow = 6;
inline constexpr int32_t OutOfMemory = 7;
inline constexpr int32_t SubscriptOutOfRange = 9;
inline constexpr int32_t ArrayFixed = 10;
inline constexpr int32_t DivisionByZero = 11;
inline constexpr int32_t TypeMismatch = 13;
inline constexpr int32_t OutOfStringSpace = 14;
inline constexpr int32_t OutOfStackSpace = 28;
inline constexpr int32_t SubNotDefined = 35;
inline constexpr int32_t ObjectNotSet = 91;
inline constexpr int32_t ForNotInitialized = 92;
inline constexpr int32_t InvalidUseOfNull = 94;
inline constexpr int32_t ObjectRequired = 424;
inline constexpr int32_t CannotCreateObject = 429;
inline constexpr int32_t NoSuchMember = 438;
inline constexpr int32_t ArgumentNotOptional = 449;
inline constexpr int32_t WrongArgumentCount = 450;
inline constexpr int32_t NotACollection = 451;
inline constexpr int32_t UnsupportedAutomationType = 458;
inline constexpr int32_t InvalidPicture = 481;
inline constexpr int32_t VariableUndefined = 500;
inline constexpr int32_t IllegalAssignment = 501;
// Not a VBScript number: a run stopped by the host's time limit. Chosen outside every range
// VBScript uses so that no script can mistake it for one of its own errors.
inline constexpr int32_t TimedOut = 9000;

inline constexpr int32_t SyntaxError = 1002;
inline constexpr int32_t ExpectedRParen = 1006;
inline constexpr int32_t ExpectedIdentifier = 1010;
inline constexpr int32_t ExpectedEquals = 1011;
inline constexpr int32_t ExpectedIf = 1012;
inline constexpr int32_t ExpectedTo = 1013;
inline constexpr int32_t ExpectedEnd = 1014;
inline constexpr int32_t ExpectedFunction = 1015;
inline constexpr int32_t ExpectedSub = 1016;
inline constexpr int32_t ExpectedThen = 1017;
inline constexpr int32_t ExpectedWend = 1018;
inline constexpr int32_t ExpectedLoop = 1019;
inline constexpr int32_t ExpectedNext = 1020;
inline constexpr int32_t ExpectedCase = 1021;
inline constexpr int32_t ExpectedSelect = 1022;
inline constexpr int32_t ExpectedExpression = 1023;
inline constexpr int32_t ExpectedStatement = 1024;
inline constexpr int32_t ExpectedEndOfStatement = 1025;
inline constexpr int32_t ExpectedIntegerConstant = 1026;
inline constexpr int32_t ExpectedWhileOrUntil = 1027;
inline constexpr int32_t ExpectedWith = 1029;
inline constexpr int32_t InvalidNumber = 1031;
inline constexpr int32_t InvalidCharacter = 1032;
inline constexpr int32_t UnterminatedString = 1033;
inline constexpr int32_t InvalidExit = 1039;
inline constexpr int32_t InvalidForVariable = 1040;
inline constexpr int32_t NameRedefined = 1041;
inline constexpr int32_t ParenthesesOnSubCall = 1044;
inline constexpr int32_t ExpectedLiteral = 1045;
inline constexpr int32_t ExpectedIn = 1046;
} // namespace errc

inline constexpr std::string_view RuntimeErrorSource = "Microsoft VBScript runtime error";
inline constexpr std::string_view CompileErrorSource = "Microsoft VBScript compilation error";

// VBScript's text for an error number; "Unknown runtime error" for a number it does not know.
std::string_view StandardErrorDescription(int32_t number);

// A run-time error on its way up to the nearest `On Error Resume Next` or to the host.
class ScriptError : public std::runtime_error {
public:
    // An empty description takes the standard text of `number`.
    explicit ScriptError(int32_t number, std::string description = {}, std::string source = {});

    int32_t Number() const { return m_number; }
    const std::string& Description() const { return m_description; }
    const std::string& Source() const { return m_source; }
    // The help topic `Err.Raise` names, handed on to `Err` where the error is caught.
    void SetHelp(std::string file, int32_t context)
    {
        m_helpFile = std::move(file);
        m_helpContext = context;
    }
    const std::string& HelpFile() const { return m_helpFile; }
    int32_t HelpContext() const { return m_helpContext; }
    // Errors no `On Error Resume Next` may swallow (the time limit).
    bool IsFatal() const { return m_number == errc::TimedOut; }

private:
    int32_t m_number;
    std::string m_description;
    std::string m_source;
    std::string m_helpFile;
    int32_t m_helpContext = 0;
};

// Raises the standard error `number`.
[[noreturn]] void Raise(int32_t number);

} // namespace vortalux::script
