#pragma once

#include "Ast.h"
#include "Token.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vortalux::script {

// Builds a Module from tokens by recursive descent, binding the names of each procedure to
// its frame slots. Throws CompileError with the position of the offending token.
class Parser {
public:
    // Deeper nesting of parentheses, blocks or operators fails with "Out of stack space"
    // instead of exhausting the native stack.
    static constexpr int MaxNesting = 200;
    static constexpr int MaxExpressionDepth = 1000;

    // `stackLimit` is the native stack limit of the run that compiles (Eval, Execute); without
    // one the parser finds out its own (which is slow on a process's main thread).
    explicit Parser(std::vector<Token> tokens, const char* stackLimit = nullptr);

    // Code compiled while `procedure` runs (Execute, Eval inside it) sees the procedure's
    // locals, constants and class members by name.
    void SetEnclosingProcedure(const Procedure* procedure) { m_enclosing = procedure; }

    std::unique_ptr<Module> ParseModule();
    // One expression and nothing after it (Eval).
    ExprPtr ParseStandaloneExpression();

private:
    // Names of the procedure being parsed.
    struct Scope {
        Procedure* procedure = nullptr;
        std::string key;
        std::unordered_map<std::string, int> locals;
        std::unordered_map<std::string, Variant> constants;
        std::unordered_map<std::string, int> implicitSlots;
        std::vector<IdentifierExpr*> identifiers;
    };

    // Counts nesting for the limits above.
    class NestingGuard {
    public:
        NestingGuard(Parser& parser, const Token& at);
        ~NestingGuard() { --m_parser.m_nesting; }
        NestingGuard(const NestingGuard&) = delete;
        NestingGuard& operator=(const NestingGuard&) = delete;

    private:
        Parser& m_parser;
    };

    const Token& Current() const { return m_tokens[m_pos]; }
    const Token& PeekAt(size_t ahead) const;
    bool Is(TokenKind kind) const { return Current().kind == kind; }
    const Token& Advance();
    const Token& Expect(TokenKind kind, int errorNumber);
    bool IsIdentifierText(const char* text) const;
    [[noreturn]] void Fail(int number, const Token& at) const;
    [[noreturn]] void Fail(int number) const { Fail(number, Current()); }

    void SkipSeparators();
    bool AtStatementEnd() const;
    bool AtSingleLineEndIf() const;
    bool AtProcedureEndAfterStatement() const;
    bool AtProcedure() const;
    void ParseGlobalProcedure();
    void ExpectStatementEnd();

    // Statements.
    void ParseTopLevel();
    // The procedure whose keyword (Sub, Function, or Get / Let / Set after Property) was just
    // read. Inside a class it becomes one of the class's members.
    std::unique_ptr<Procedure> ParseProcedure(
        ProcedureKind kind, int line, Scope& scope, bool isPublic, const Token* defaultToken);
    void AddClassMember(const Token& name, Procedure& procedure, const Token* defaultToken);
    void ParseClass();
    void ParseClassFields(bool isPublic);
    void BindEnclosing();
    Block ParseBlock(std::initializer_list<TokenKind> terminators);
    Block ParseSingleLineStatements();
    // Adds the statement at the current token to `block` (declarations add nothing).
    void ParseStatement(Block& block);
    StmtPtr ParseNameStatement();
    StmtPtr ParseCallKeyword();
    StmtPtr FinishCall(std::unique_ptr<CallStmt> call);
    StmtPtr ParseSet();
    void ParseDim();
    void ParseConst();
    StmtPtr ParseReDim();
    StmtPtr ParseErase();
    StmtPtr ParseIf();
    StmtPtr ParseFor();
    StmtPtr ParseDo();
    StmtPtr ParseWhile();
    StmtPtr ParseSelect();
    StmtPtr ParseWith();
    StmtPtr ParseExit();
    StmtPtr ParseOnError();
    void ExpectEnd(TokenKind what, int errorNumber);

    // Expressions.
    ExprPtr ParseExpression();
    ExprPtr ParseBinary(int minPrecedence);
    ExprPtr ParseBinaryRest(ExprPtr left, int minPrecedence);
    ExprPtr ParseUnary();
    ExprPtr ParsePrimary();
    ExprPtr ParsePostfix(ExprPtr target);
    ExprPtr ParseTarget();
    std::vector<ExprPtr> ParseArgumentList();
    ExprPtr ParseArgument();
    std::string ParseMemberName();
    // Sets the node's depth from its children's and enforces kMaxExpressionDepth.
    ExprPtr Finish(ExprPtr expr, int childDepth);

    // Names.
    std::unique_ptr<IdentifierExpr> MakeIdentifier(const Token& token);
    std::unique_ptr<IdentifierExpr> ExpectVariableName();
    void DeclareLocal(const Token& name, const std::vector<int32_t>* upperBounds);
    void DeclareGlobal(
        const Token& name, bool isConst, Variant constant, const std::vector<int32_t>* upperBounds);
    void BindScope(Scope& scope);
    Variant ParseLiteralConstant();
    std::vector<int32_t> ParseDimBounds();

    std::vector<Token> m_tokens;
    size_t m_pos = 0;
    ClassDefinition* m_class = nullptr; // the class being parsed
    const Procedure* m_enclosing = nullptr;
    std::vector<IdentifierExpr*> m_enclosedIdentifiers; // free names outside procedures
    std::unique_ptr<Module> m_module;
    std::unordered_map<std::string, int> m_globalNames; // key -> declaration line
    std::unordered_set<std::string> m_procedureNames;
    Scope* m_scope = nullptr;
    int m_nesting = 0;
    const char* m_stackLimit = nullptr;
    int m_withDepth = 0;
    bool m_spacedDotEndsTarget = false;
    int m_singleLineIf = 0;
    // Loops around the statement being parsed, for Exit For and Exit Do.
    int m_forDepth = 0;
    int m_doDepth = 0;
};

} // namespace vortalux::script
