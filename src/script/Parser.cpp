#include "Parser.h"

#include "AsciiText.h"
#include "CompileError.h"
#include "NativeStack.h"
#include "ScriptError.h"

#include <algorithm>

namespace vortalux::script {

namespace {

// Operator precedence, loosest first, as VBScript defines it.
enum Precedence : int {
    Imp = 1,
    Eqv,
    Xor,
    Or,
    And,
    Not,
    Comparison,
    Concat,
    Additive,
    Modulo,
    IntegerDivide,
    Multiplicative,
    Negate,
    Power,
};

struct BinaryOperator {
    TokenKind token;
    BinaryOp op;
    int precedence;
};

constexpr BinaryOperator BinaryOperators[] = {
    {TokenKind::Imp, BinaryOp::Imp, Imp},
    {TokenKind::Eqv, BinaryOp::Eqv, Eqv},
    {TokenKind::Xor, BinaryOp::Xor, Xor},
    {TokenKind::Or, BinaryOp::Or, Or},
    {TokenKind::And, BinaryOp::And, And},
    {TokenKind::Equal, BinaryOp::Equal, Comparison},
    {TokenKind::NotEqual, BinaryOp::NotEqual, Comparison},
    {TokenKind::Less, BinaryOp::Less, Comparison},
    {TokenKind::Greater, BinaryOp::Greater, Comparison},
    {TokenKind::LessEqual, BinaryOp::LessEqual, Comparison},
    {TokenKind::GreaterEqual, BinaryOp::GreaterEqual, Comparison},
    {TokenKind::Is, BinaryOp::Is, Comparison},
    {TokenKind::Ampersand, BinaryOp::Concat, Concat},
    {TokenKind::Plus, BinaryOp::Add, Additive},
    {TokenKind::Minus, BinaryOp::Subtract, Additive},
    {TokenKind::Mod, BinaryOp::Modulo, Modulo},
    {TokenKind::Backslash, BinaryOp::IntegerDivide, IntegerDivide},
    {TokenKind::Star, BinaryOp::Multiply, Multiplicative},
    {TokenKind::Slash, BinaryOp::Divide, Multiplicative},
    {TokenKind::Caret, BinaryOp::Power, Power},
};

const BinaryOperator* BinaryOperatorOf(TokenKind kind)
{
    for (const BinaryOperator& entry : BinaryOperators) {
        if (entry.token == kind)
            return &entry;
    }
    return nullptr;
}

// Reserved words may still name an object's member (obj.Next, obj.End).
bool IsWordToken(TokenKind kind) { return kind == TokenKind::Identifier || kind >= TokenKind::And; }

} // namespace

Parser::NestingGuard::NestingGuard(Parser& parser, const Token& at)
    : m_parser(parser)
{
    if (++m_parser.m_nesting > MaxNesting || NativeStack::Below(m_parser.m_stackLimit)) {
        --m_parser.m_nesting;
        m_parser.Fail(errc::OutOfStackSpace, at);
    }
}

Parser::Parser(std::vector<Token> tokens, const char* stackLimit)
    : m_tokens(std::move(tokens))
    , m_stackLimit(stackLimit != nullptr ? stackLimit : NativeStack::Limit())
{
    if (m_tokens.empty() || m_tokens.back().kind != TokenKind::EndOfFile)
        m_tokens.push_back(Token {});
}

const Token& Parser::PeekAt(size_t ahead) const
{
    return m_tokens[std::min(m_pos + ahead, m_tokens.size() - 1)];
}

const Token& Parser::Advance()
{
    const Token& token = m_tokens[m_pos];
    if (m_pos + 1 < m_tokens.size())
        ++m_pos;
    return token;
}

const Token& Parser::Expect(TokenKind kind, int errorNumber)
{
    if (!Is(kind))
        Fail(errorNumber);
    return Advance();
}

bool Parser::IsIdentifierText(const char* text) const
{
    return Is(TokenKind::Identifier) && EqualsNoCase(Current().text, text);
}

void Parser::Fail(int number, const Token& at) const { throw CompileError(number, at.line, at.column); }

void Parser::SkipSeparators()
{
    while (Is(TokenKind::NewLine) || Is(TokenKind::Colon))
        Advance();
}

bool Parser::AtStatementEnd() const
{
    return Is(TokenKind::NewLine) || Is(TokenKind::Colon) || Is(TokenKind::EndOfFile)
        || (m_singleLineIf > 0 && (Is(TokenKind::Else) || AtSingleLineEndIf()))
        || AtProcedureEndAfterStatement();
}

// Windows lets the end of a procedure follow the last statement of its body on the same line
// (`x = 1 End Sub`), outside a one-line If.
bool Parser::AtProcedureEndAfterStatement() const
{
    if (m_scope == nullptr || m_singleLineIf > 0 || !Is(TokenKind::End))
        return false;
    const Token& next = PeekAt(1);
    return next.kind == TokenKind::Sub || next.kind == TokenKind::Function
        || (next.kind == TokenKind::Identifier && EqualsNoCase(next.text, "property"));
}

bool Parser::AtSingleLineEndIf() const { return Is(TokenKind::End) && PeekAt(1).kind == TokenKind::If; }

void Parser::ExpectStatementEnd()
{
    if (!AtStatementEnd())
        Fail(errc::ExpectedEndOfStatement);
}

// ---- Module and procedures ----

std::unique_ptr<Module> Parser::ParseModule()
{
    m_module = std::make_unique<Module>();
    while (true) {
        SkipSeparators();
        if (Is(TokenKind::EndOfFile))
            break;
        ParseTopLevel();
    }
    BindEnclosing();
    return std::move(m_module);
}

ExprPtr Parser::ParseStandaloneExpression()
{
    m_module = std::make_unique<Module>();
    SkipSeparators();
    ExprPtr expr = ParseExpression();
    SkipSeparators();
    if (!Is(TokenKind::EndOfFile))
        Fail(errc::ExpectedEndOfStatement);
    BindEnclosing();
    return expr;
}

bool Parser::AtProcedure() const
{
    const bool hasVisibility = Is(TokenKind::Public) || Is(TokenKind::Private);
    const TokenKind next = hasVisibility ? PeekAt(1).kind : Current().kind;
    return next == TokenKind::Sub || next == TokenKind::Function;
}

void Parser::ParseGlobalProcedure()
{
    if (Is(TokenKind::Public) || Is(TokenKind::Private))
        Advance();
    const Token& keyword = Advance();
    // A procedure may stand inside a block of global code: it is defined all the same, and the
    // block's state resumes after it.
    const int forDepth = m_forDepth;
    const int doDepth = m_doDepth;
    const int withDepth = m_withDepth;
    const int singleLineIf = m_singleLineIf;
    m_withDepth = 0;
    m_singleLineIf = 0;
    Scope scope;
    auto procedure
        = ParseProcedure(keyword.kind == TokenKind::Function ? ProcedureKind::Function : ProcedureKind::Sub,
            keyword.line, scope, true, nullptr);
    BindScope(scope);
    m_module->procedures.push_back(std::move(procedure));
    m_forDepth = forDepth;
    m_doDepth = doDepth;
    m_withDepth = withDepth;
    m_singleLineIf = singleLineIf;
}

void Parser::ParseTopLevel()
{
    if (Is(TokenKind::Class)) {
        ParseClass();
        return;
    }
    if (AtProcedure()) {
        ParseGlobalProcedure();
        return;
    }
    if (Is(TokenKind::Option)) {
        Advance();
        if (!IsIdentifierText("explicit"))
            Fail(errc::SyntaxError);
        Advance();
        m_module->optionExplicit = true;
        ExpectStatementEnd();
        return;
    }
    ParseStatement(m_module->body);
}

std::unique_ptr<Procedure> Parser::ParseProcedure(
    ProcedureKind kind, int line, Scope& scope, bool isPublic, const Token* defaultToken)
{
    const Token& nameToken = Expect(TokenKind::Identifier, errc::ExpectedIdentifier);
    const std::string key = AsciiLowerCopy(nameToken.text);
    if (m_class == nullptr) {
        // A procedure defined again replaces the first, as on Windows; any other name clashes.
        if (m_globalNames.count(key) != 0 && m_procedureNames.count(key) == 0)
            Fail(errc::NameRedefined, nameToken);
        m_globalNames.emplace(key, nameToken.line);
        m_procedureNames.insert(key);
    }

    auto procedure = std::make_unique<Procedure>();
    procedure->name = nameToken.text;
    procedure->procedureKind = kind;
    procedure->isFunction = kind == ProcedureKind::Function || kind == ProcedureKind::PropertyGet;
    procedure->isPublic = isPublic;
    procedure->line = line;
    procedure->module = m_module.get();
    procedure->owner = m_class;

    m_forDepth = 0;
    m_doDepth = 0;
    scope.procedure = procedure.get();
    scope.key = key;
    m_scope = &scope;

    if (Is(TokenKind::LParen)) {
        Advance();
        while (!Is(TokenKind::RParen)) {
            Procedure::Parameter parameter;
            if (Is(TokenKind::ByVal) || Is(TokenKind::ByRef))
                parameter.byVal = Advance().kind == TokenKind::ByVal;
            const Token& paramToken = Expect(TokenKind::Identifier, errc::ExpectedIdentifier);
            if (Is(TokenKind::LParen)) {
                Advance();
                Expect(TokenKind::RParen, errc::ExpectedRParen);
            }
            parameter.name = paramToken.text;
            DeclareLocal(paramToken, nullptr);
            procedure->parameters.push_back(std::move(parameter));
            if (!Is(TokenKind::Comma))
                break;
            Advance();
        }
        Expect(TokenKind::RParen, errc::ExpectedRParen);
    }
    if (m_class != nullptr)
        AddClassMember(nameToken, *procedure, defaultToken);
    // Only a statement may share its line with the end: `Sub A() End Sub` stays an error.
    if (AtProcedureEndAfterStatement())
        Fail(errc::ExpectedEndOfStatement);
    ExpectStatementEnd();

    procedure->body = ParseBlock({TokenKind::End});
    if (Is(TokenKind::EndOfFile))
        Fail(errc::ExpectedEnd);
    switch (kind) {
    case ProcedureKind::Sub:
        ExpectEnd(TokenKind::Sub, errc::ExpectedSub);
        break;
    case ProcedureKind::Function:
        ExpectEnd(TokenKind::Function, errc::ExpectedFunction);
        break;
    default:
        Expect(TokenKind::End, errc::ExpectedEnd);
        if (!IsIdentifierText("property"))
            Fail(1050);
        Advance();
        ExpectStatementEnd();
        break;
    }
    m_scope = nullptr;
    return procedure;
}

void Parser::AddClassMember(const Token& name, Procedure& procedure, const Token* defaultToken)
{
    ClassDefinition& definition = *m_class;
    const std::string key = AsciiLowerCopy(name.text);
    const ProcedureKind kind = procedure.procedureKind;
    if ((kind == ProcedureKind::PropertyLet || kind == ProcedureKind::PropertySet)
        && procedure.parameters.empty())
        Fail(1054, name);
    if ((key == "class_initialize" || key == "class_terminate") && kind == ProcedureKind::Sub) {
        if (!procedure.parameters.empty())
            Fail(1053, name);
        (key == "class_initialize" ? definition.initialize : definition.terminate) = &procedure;
    }
    auto [it, added] = definition.memberIndex.emplace(key, static_cast<int>(definition.members.size()));
    if (added)
        definition.members.push_back(ClassMember {name.text});
    ClassMember& member = definition.members[static_cast<size_t>(it->second)];
    const Procedure** accessor = nullptr;
    switch (kind) {
    case ProcedureKind::Sub:
    case ProcedureKind::Function:
        accessor = added ? &member.method : nullptr;
        break;
    case ProcedureKind::PropertyGet:
        accessor = &member.get;
        break;
    case ProcedureKind::PropertyLet:
        accessor = &member.let;
        break;
    case ProcedureKind::PropertySet:
        accessor = &member.set;
        break;
    }
    if (accessor == nullptr || *accessor != nullptr || member.field >= 0 || member.method != nullptr)
        Fail(errc::NameRedefined, name);
    *accessor = &procedure;
    if (defaultToken != nullptr) {
        if (kind == ProcedureKind::PropertyLet || kind == ProcedureKind::PropertySet)
            Fail(1058, *defaultToken);
        if (definition.defaultMember >= 0 && definition.defaultMember != it->second)
            Fail(1052, *defaultToken);
        definition.defaultMember = it->second;
    }
}

void Parser::ParseClass()
{
    Advance(); // Class
    const Token& nameToken = Expect(TokenKind::Identifier, errc::ExpectedIdentifier);
    const std::string key = AsciiLowerCopy(nameToken.text);
    if (m_globalNames.count(key) != 0)
        Fail(errc::NameRedefined, nameToken);
    m_globalNames.emplace(key, nameToken.line);
    ExpectStatementEnd();

    auto definition = std::make_shared<ClassDefinition>();
    definition->name = nameToken.text;
    definition->key = key;
    definition->line = nameToken.line;
    m_class = definition.get();
    std::vector<std::unique_ptr<Scope>> scopes;
    while (true) {
        SkipSeparators();
        if (Is(TokenKind::EndOfFile))
            Fail(errc::ExpectedEnd);
        if (Is(TokenKind::End)) {
            Advance();
            Expect(TokenKind::Class, 1047);
            ExpectStatementEnd();
            break;
        }
        bool isPublic = true;
        bool hasVisibility = false;
        if (Is(TokenKind::Public) || Is(TokenKind::Private)) {
            isPublic = Advance().kind == TokenKind::Public;
            hasVisibility = true;
        }
        const Token* defaultToken = nullptr;
        if (IsIdentifierText("default")) {
            defaultToken = &Advance();
            if (!hasVisibility || !isPublic)
                Fail(1057, *defaultToken);
        }
        ProcedureKind kind = ProcedureKind::Sub;
        int line = Current().line;
        if (Is(TokenKind::Sub) || Is(TokenKind::Function)) {
            kind = Advance().kind == TokenKind::Sub ? ProcedureKind::Sub : ProcedureKind::Function;
        } else if (IsIdentifierText("property")) {
            Advance();
            if (IsIdentifierText("get"))
                kind = ProcedureKind::PropertyGet;
            else if (Is(TokenKind::Let))
                kind = ProcedureKind::PropertyLet;
            else if (Is(TokenKind::Set))
                kind = ProcedureKind::PropertySet;
            else
                Fail(1049);
            Advance();
        } else if (defaultToken != nullptr) {
            Fail(errc::ExpectedStatement);
        } else if (Is(TokenKind::Dim) || (hasVisibility && Is(TokenKind::Identifier))) {
            if (Is(TokenKind::Dim)) {
                if (hasVisibility)
                    Fail(errc::ExpectedIdentifier, PeekAt(1));
                Advance();
            }
            ParseClassFields(isPublic);
            continue;
        } else {
            Fail(errc::ExpectedStatement);
        }
        scopes.push_back(std::make_unique<Scope>());
        auto procedure = ParseProcedure(kind, line, *scopes.back(), isPublic, defaultToken);
        definition->procedures.push_back(std::move(procedure));
    }
    // Methods may use members declared after them: names are bound once the class is whole.
    for (const std::unique_ptr<Scope>& scope : scopes)
        BindScope(*scope);
    m_class = nullptr;
    m_module->classes.push_back(std::move(definition));
}

void Parser::ParseClassFields(bool isPublic)
{
    while (true) {
        const Token& name = Expect(TokenKind::Identifier, errc::ExpectedIdentifier);
        ClassField field;
        if (Is(TokenKind::LParen)) {
            field.isArray = true;
            field.upperBounds = ParseDimBounds();
        }
        const std::string key = AsciiLowerCopy(name.text);
        const int index = static_cast<int>(m_class->members.size());
        if (!m_class->memberIndex.emplace(key, index).second)
            Fail(errc::NameRedefined, name);
        ClassMember member {name.text};
        member.isPublic = isPublic;
        member.field = static_cast<int>(m_class->fields.size());
        m_class->members.push_back(std::move(member));
        m_class->fields.push_back(std::move(field));
        if (!Is(TokenKind::Comma))
            break;
        Advance();
    }
    ExpectStatementEnd();
}

void Parser::ExpectEnd(TokenKind what, int errorNumber)
{
    Expect(TokenKind::End, errc::ExpectedEnd);
    Expect(what, errorNumber);
    ExpectStatementEnd();
}

void Parser::BindScope(Scope& scope)
{
    Procedure& procedure = *scope.procedure;
    for (IdentifierExpr* id : scope.identifiers) {
        if (const auto local = scope.locals.find(id->key); local != scope.locals.end()) {
            id->binding = BindingKind::Local;
            id->slot = local->second;
        } else if (const auto constant = scope.constants.find(id->key); constant != scope.constants.end()) {
            id->binding = BindingKind::Constant;
            id->constant = constant->second;
        } else if (procedure.isFunction && id->key == scope.key && !id->isCallTarget) {
            id->binding = BindingKind::Local;
            id->slot = 0;
        } else if (const int member = procedure.owner != nullptr ? procedure.owner->IndexOf(id->key) : -1;
                   member >= 0) {
            id->binding = BindingKind::Member;
            id->slot = member;
        } else {
            // Free: a global, a procedure, a built-in, or else an implicit local.
            auto [it, added] = scope.implicitSlots.emplace(id->key, procedure.slotCount);
            if (added)
                ++procedure.slotCount;
            id->binding = BindingKind::Free;
            id->slot = it->second;
        }
    }
    procedure.localNames = scope.locals;
    if (procedure.isFunction)
        procedure.localNames.emplace(scope.key, 0);
    procedure.implicitNames = scope.implicitSlots;
    procedure.constants = scope.constants;
}

void Parser::BindEnclosing()
{
    if (m_enclosing == nullptr)
        return;
    const Procedure& procedure = *m_enclosing;
    for (IdentifierExpr* id : m_enclosedIdentifiers) {
        if (const auto local = procedure.localNames.find(id->key);
            local != procedure.localNames.end() && !(local->second == 0 && id->isCallTarget)) {
            id->binding = BindingKind::Local;
            id->slot = local->second;
        } else if (const auto constant = procedure.constants.find(id->key);
                   constant != procedure.constants.end()) {
            id->binding = BindingKind::Constant;
            id->constant = constant->second;
        } else if (const int member = procedure.owner != nullptr ? procedure.owner->IndexOf(id->key) : -1;
                   member >= 0) {
            id->binding = BindingKind::Member;
            id->slot = member;
        } else if (const auto implicit = procedure.implicitNames.find(id->key);
                   implicit != procedure.implicitNames.end()) {
            id->slot = implicit->second;
        }
    }
}

// ---- Names and declarations ----

std::unique_ptr<IdentifierExpr> Parser::MakeIdentifier(const Token& token)
{
    auto id = std::make_unique<IdentifierExpr>(token.line, token.text, AsciiLowerCopy(token.text));
    if (m_scope != nullptr)
        m_scope->identifiers.push_back(id.get());
    else if (m_enclosing != nullptr)
        m_enclosedIdentifiers.push_back(id.get());
    return id;
}

std::unique_ptr<IdentifierExpr> Parser::ExpectVariableName()
{
    return MakeIdentifier(Expect(TokenKind::Identifier, errc::ExpectedIdentifier));
}

void Parser::DeclareLocal(const Token& name, const std::vector<int32_t>* upperBounds)
{
    const std::string key = AsciiLowerCopy(name.text);
    if (m_scope->locals.count(key) != 0 || m_scope->constants.count(key) != 0)
        Fail(errc::NameRedefined, name);
    Procedure& procedure = *m_scope->procedure;
    const int slot = procedure.slotCount++;
    m_scope->locals.emplace(key, slot);
    if (upperBounds != nullptr)
        procedure.arrays.push_back({slot, *upperBounds});
}

void Parser::DeclareGlobal(
    const Token& name, bool isConst, Variant constant, const std::vector<int32_t>* upperBounds)
{
    const std::string key = AsciiLowerCopy(name.text);
    if (m_globalNames.count(key) != 0)
        Fail(errc::NameRedefined, name);
    m_globalNames.emplace(key, name.line);
    GlobalDeclaration declaration;
    declaration.name = name.text;
    declaration.key = key;
    declaration.line = name.line;
    declaration.isConst = isConst;
    declaration.constant = std::move(constant);
    if (upperBounds != nullptr) {
        declaration.isArray = true;
        declaration.upperBounds = *upperBounds;
    }
    m_module->globals.push_back(std::move(declaration));
}

std::vector<int32_t> Parser::ParseDimBounds()
{
    std::vector<int32_t> bounds;
    Advance(); // (
    if (Is(TokenKind::RParen)) {
        Advance();
        return bounds;
    }
    while (true) {
        const Token& bound = Current();
        if (bound.kind != TokenKind::Number
            || (bound.number.Type() != VarType::Integer && bound.number.Type() != VarType::Long))
            Fail(errc::ExpectedIntegerConstant);
        bounds.push_back(
            bound.number.Type() == VarType::Integer ? bound.number.AsInteger() : bound.number.AsLong());
        Advance();
        if (!Is(TokenKind::Comma))
            break;
        Advance();
    }
    Expect(TokenKind::RParen, errc::ExpectedRParen);
    if (bounds.size() > 60)
        Fail(errc::SubscriptOutOfRange);
    return bounds;
}

void Parser::ParseDim()
{
    const Token& keyword = Advance();
    if (keyword.kind != TokenKind::Dim && m_scope != nullptr)
        Fail(errc::ExpectedStatement, keyword);
    // "Public Const" and "Private Const" declare constants.
    if (keyword.kind != TokenKind::Dim && Is(TokenKind::Const)) {
        ParseConst();
        return;
    }
    while (true) {
        const Token& name = Expect(TokenKind::Identifier, errc::ExpectedIdentifier);
        std::vector<int32_t> bounds;
        const bool isArray = Is(TokenKind::LParen);
        if (isArray)
            bounds = ParseDimBounds();
        if (m_scope != nullptr)
            DeclareLocal(name, isArray ? &bounds : nullptr);
        else
            DeclareGlobal(name, false, {}, isArray ? &bounds : nullptr);
        if (!Is(TokenKind::Comma))
            break;
        Advance();
    }
    ExpectStatementEnd();
}

Variant Parser::ParseLiteralConstant()
{
    bool negate = false;
    while (Is(TokenKind::Minus) || Is(TokenKind::Plus)) {
        if (Advance().kind == TokenKind::Minus)
            negate = !negate;
    }
    const Token& token = Current();
    Variant value;
    switch (token.kind) {
    case TokenKind::Number:
        value = token.number;
        break;
    case TokenKind::String:
        value = Variant::FromString(token.text);
        break;
    case TokenKind::True:
        value = Variant::FromBool(true);
        break;
    case TokenKind::False:
        value = Variant::FromBool(false);
        break;
    case TokenKind::Empty:
        break;
    case TokenKind::Null:
        value = Variant::Null();
        break;
    case TokenKind::Nothing:
        value = Variant::Nothing();
        break;
    default:
        Fail(errc::ExpectedLiteral);
    }
    if (negate && (token.kind == TokenKind::Number)) {
        if (value.Type() == VarType::Integer)
            value = value.AsInteger() == -32768
                ? Variant::FromLong(32768)
                : Variant::FromInteger(static_cast<int16_t>(-value.AsInteger()));
        else if (value.Type() == VarType::Long)
            value
                = value.AsLong() == 32768 ? Variant::FromInteger(-32768) : Variant::FromLong(-value.AsLong());
        else
            value = Variant::FromDouble(-value.AsDouble());
    } else if (negate) {
        Fail(errc::ExpectedLiteral, token);
    }
    Advance();
    return value;
}

void Parser::ParseConst()
{
    Advance(); // Const
    while (true) {
        const Token& name = Expect(TokenKind::Identifier, errc::ExpectedIdentifier);
        Expect(TokenKind::Equal, errc::ExpectedEquals);
        Variant value = ParseLiteralConstant();
        if (m_scope != nullptr) {
            const std::string key = AsciiLowerCopy(name.text);
            if (m_scope->locals.count(key) != 0 || m_scope->constants.count(key) != 0)
                Fail(errc::NameRedefined, name);
            m_scope->constants.emplace(key, std::move(value));
        } else {
            DeclareGlobal(name, true, std::move(value), nullptr);
        }
        if (!Is(TokenKind::Comma))
            break;
        Advance();
    }
    ExpectStatementEnd();
}

// ---- Statements ----

Block Parser::ParseBlock(std::initializer_list<TokenKind> terminators)
{
    NestingGuard guard(*this, Current());
    Block block;
    while (true) {
        SkipSeparators();
        if (Is(TokenKind::EndOfFile))
            return block;
        if (std::find(terminators.begin(), terminators.end(), Current().kind) != terminators.end())
            return block;
        ParseStatement(block);
    }
}

Block Parser::ParseSingleLineStatements()
{
    Block block;
    while (true) {
        ParseStatement(block);
        if (AtSingleLineEndIf() || !Is(TokenKind::Colon))
            return block;
        while (Is(TokenKind::Colon))
            Advance();
        if (Is(TokenKind::NewLine) || Is(TokenKind::EndOfFile) || Is(TokenKind::Else) || AtSingleLineEndIf())
            return block;
    }
}

void Parser::ParseStatement(Block& block)
{
    if (m_scope == nullptr && m_class == nullptr && m_singleLineIf == 0 && AtProcedure()) {
        ParseGlobalProcedure();
        return;
    }
    StmtPtr statement;
    switch (Current().kind) {
    case TokenKind::Identifier:
    case TokenKind::Dot:
    case TokenKind::Me:
        statement = ParseNameStatement();
        break;
    case TokenKind::Call:
        statement = ParseCallKeyword();
        break;
    case TokenKind::Set:
        statement = ParseSet();
        break;
    case TokenKind::Let:
        Advance();
        if (!Is(TokenKind::Identifier) && !Is(TokenKind::Dot) && !Is(TokenKind::Me))
            Fail(errc::ExpectedIdentifier);
        statement = ParseNameStatement();
        if (statement->kind != StmtKind::Assign)
            Fail(errc::ExpectedEquals);
        break;
    case TokenKind::Dim:
    case TokenKind::Public:
    case TokenKind::Private:
        ParseDim();
        return;
    case TokenKind::Const:
        ParseConst();
        return;
    case TokenKind::ReDim:
        statement = ParseReDim();
        break;
    case TokenKind::Erase:
        statement = ParseErase();
        break;
    case TokenKind::If:
        statement = ParseIf();
        break;
    case TokenKind::For:
        statement = ParseFor();
        break;
    case TokenKind::Do:
        statement = ParseDo();
        break;
    case TokenKind::While:
        statement = ParseWhile();
        break;
    case TokenKind::Select:
        statement = ParseSelect();
        break;
    case TokenKind::With:
        statement = ParseWith();
        break;
    case TokenKind::Exit:
        statement = ParseExit();
        break;
    case TokenKind::On:
        statement = ParseOnError();
        break;
    case TokenKind::Next:
        Fail(1055);
    case TokenKind::Loop:
        Fail(1038);
    default:
        Fail(errc::ExpectedStatement);
    }
    block.push_back(std::move(statement));
}

StmtPtr Parser::ParseNameStatement()
{
    const int line = Current().line;
    // Inside With, `obj.Method .Member` passes the With object's member.
    m_spacedDotEndsTarget = m_withDepth > 0;
    ExprPtr target = ParseTarget();
    if (Is(TokenKind::Equal)) {
        Advance();
        auto assign = std::make_unique<AssignStmt>(line);
        assign->target = std::move(target);
        assign->value = ParseExpression();
        ExpectStatementEnd();
        return assign;
    }

    auto call = std::make_unique<CallStmt>(line);
    if (target->kind == ExprKind::Call) {
        auto* withArgs = static_cast<CallExpr*>(target.get());
        if (AtStatementEnd()) {
            // F(a) passes (a) by value; F(a, b) needs Call.
            if (withArgs->args.size() > 1)
                Fail(errc::ParenthesesOnSubCall);
            call->callee = std::move(withArgs->target);
            if (withArgs->args.size() == 1 && withArgs->args[0])
                call->args.push_back(std::make_unique<ParenExpr>(line, std::move(withArgs->args[0])));
        } else {
            // F (a) + 1, b: the parentheses belong to the first argument.
            if (withArgs->args.size() != 1 || !withArgs->args[0])
                Fail(errc::ExpectedEndOfStatement);
            call->callee = std::move(withArgs->target);
            auto first = std::make_unique<ParenExpr>(line, std::move(withArgs->args[0]));
            first->depth = first->inner->depth + 1;
            call->args.push_back(ParseBinaryRest(std::move(first), Imp));
            while (Is(TokenKind::Comma)) {
                Advance();
                call->args.push_back(ParseArgument());
            }
        }
    } else {
        call->callee = std::move(target);
        if (!AtStatementEnd()) {
            call->args.push_back(ParseArgument());
            while (Is(TokenKind::Comma)) {
                Advance();
                call->args.push_back(ParseArgument());
            }
        }
    }
    return FinishCall(std::move(call));
}

// A call statement names a procedure or an object's member, and nothing follows its arguments.
StmtPtr Parser::FinishCall(std::unique_ptr<CallStmt> call)
{
    if (call->callee->kind == ExprKind::Identifier)
        static_cast<IdentifierExpr*>(call->callee.get())->isCallTarget = true;
    else if (call->callee->kind != ExprKind::Member)
        Fail(errc::ExpectedStatement);
    ExpectStatementEnd();
    return call;
}

StmtPtr Parser::ParseCallKeyword()
{
    const int line = Advance().line;
    if (!Is(TokenKind::Identifier) && !Is(TokenKind::Dot) && !Is(TokenKind::Me))
        Fail(errc::ExpectedIdentifier);
    ExprPtr target = ParseTarget();
    auto call = std::make_unique<CallStmt>(line);
    call->withCallKeyword = true;
    if (target->kind == ExprKind::Call) {
        auto* withArgs = static_cast<CallExpr*>(target.get());
        call->callee = std::move(withArgs->target);
        call->args = std::move(withArgs->args);
    } else {
        call->callee = std::move(target);
    }
    return FinishCall(std::move(call));
}

StmtPtr Parser::ParseSet()
{
    const int line = Advance().line;
    if (!Is(TokenKind::Identifier) && !Is(TokenKind::Dot) && !Is(TokenKind::Me))
        Fail(errc::ExpectedIdentifier);
    auto assign = std::make_unique<AssignStmt>(line);
    assign->isSet = true;
    assign->target = ParseTarget();
    Expect(TokenKind::Equal, errc::ExpectedEquals);
    assign->value = ParseExpression();
    ExpectStatementEnd();
    return assign;
}

StmtPtr Parser::ParseReDim()
{
    auto redim = std::make_unique<ReDimStmt>(Advance().line);
    if (IsIdentifierText("preserve")) {
        Advance();
        redim->preserve = true;
    }
    while (true) {
        ReDimStmt::Item item;
        item.target = ExpectVariableName();
        Expect(TokenKind::LParen, 1005);
        item.bounds.push_back(ParseExpression());
        while (Is(TokenKind::Comma)) {
            Advance();
            item.bounds.push_back(ParseExpression());
        }
        Expect(TokenKind::RParen, errc::ExpectedRParen);
        if (item.bounds.size() > 60)
            Fail(errc::SubscriptOutOfRange);
        redim->items.push_back(std::move(item));
        if (!Is(TokenKind::Comma))
            break;
        Advance();
    }
    ExpectStatementEnd();
    return redim;
}

StmtPtr Parser::ParseErase()
{
    auto erase = std::make_unique<EraseStmt>(Advance().line);
    erase->target = ExpectVariableName();
    ExpectStatementEnd();
    return erase;
}

StmtPtr Parser::ParseIf()
{
    NestingGuard guard(*this, Current());
    auto statement = std::make_unique<IfStmt>(Advance().line);
    IfStmt::Branch first;
    first.condition = ParseExpression();
    Expect(TokenKind::Then, errc::ExpectedThen);
    // `If c Then :` followed by the end of the line opens a block, as a line end would.
    size_t afterColons = 0;
    while (PeekAt(afterColons).kind == TokenKind::Colon)
        ++afterColons;
    if (afterColons > 0
        && (PeekAt(afterColons).kind == TokenKind::NewLine
            || PeekAt(afterColons).kind == TokenKind::EndOfFile)) {
        while (Is(TokenKind::Colon))
            Advance();
    }

    if (!Is(TokenKind::NewLine) && !Is(TokenKind::EndOfFile)) {
        // One-line form: If c Then a : b Else d : e [End If]
        while (Is(TokenKind::Colon))
            Advance();
        ++m_singleLineIf;
        first.body = ParseSingleLineStatements();
        statement->branches.push_back(std::move(first));
        if (Is(TokenKind::Else)) {
            Advance();
            while (Is(TokenKind::Colon))
                Advance();
            if (!Is(TokenKind::NewLine) && !Is(TokenKind::EndOfFile) && !AtSingleLineEndIf())
                statement->elseBody = ParseSingleLineStatements();
        }
        --m_singleLineIf;
        if (AtSingleLineEndIf()) {
            Advance();
            Advance();
        }
        ExpectStatementEnd();
        return statement;
    }

    const int savedSingleLine = m_singleLineIf;
    m_singleLineIf = 0;
    first.body = ParseBlock({TokenKind::ElseIf, TokenKind::Else, TokenKind::End});
    statement->branches.push_back(std::move(first));
    while (Is(TokenKind::ElseIf)) {
        Advance();
        IfStmt::Branch branch;
        branch.condition = ParseExpression();
        Expect(TokenKind::Then, errc::ExpectedThen);
        branch.body = ParseBlock({TokenKind::ElseIf, TokenKind::Else, TokenKind::End});
        statement->branches.push_back(std::move(branch));
    }
    if (Is(TokenKind::Else)) {
        Advance();
        statement->elseBody = ParseBlock({TokenKind::End});
    }
    if (Is(TokenKind::EndOfFile))
        Fail(errc::ExpectedEnd);
    m_singleLineIf = savedSingleLine;
    ExpectEnd(TokenKind::If, errc::ExpectedIf);
    return statement;
}

StmtPtr Parser::ParseFor()
{
    NestingGuard guard(*this, Current());
    const int line = Advance().line;
    const int savedSingleLine = m_singleLineIf;
    m_singleLineIf = 0;
    StmtPtr result;
    Block* body = nullptr;
    if (Is(TokenKind::Each)) {
        Advance();
        auto statement = std::make_unique<ForEachStmt>(line);
        statement->variable = ExpectVariableName();
        Expect(TokenKind::In, errc::ExpectedIn);
        statement->collection = ParseExpression();
        body = &statement->body;
        result = std::move(statement);
    } else {
        auto statement = std::make_unique<ForStmt>(line);
        if (!Is(TokenKind::Identifier))
            Fail(errc::ExpectedIdentifier);
        statement->variable = ExpectVariableName();
        if (Is(TokenKind::LParen) || Is(TokenKind::Dot))
            Fail(errc::InvalidForVariable);
        Expect(TokenKind::Equal, errc::ExpectedEquals);
        statement->from = ParseExpression();
        Expect(TokenKind::To, errc::ExpectedTo);
        statement->to = ParseExpression();
        if (IsIdentifierText("step")) {
            Advance();
            statement->step = ParseExpression();
        }
        body = &statement->body;
        result = std::move(statement);
    }
    ExpectStatementEnd();
    ++m_forDepth;
    *body = ParseBlock({TokenKind::Next});
    --m_forDepth;
    Expect(TokenKind::Next, errc::ExpectedNext);
    if (Is(TokenKind::Identifier))
        Advance();
    m_singleLineIf = savedSingleLine;
    ExpectStatementEnd();
    return result;
}

StmtPtr Parser::ParseDo()
{
    NestingGuard guard(*this, Current());
    auto statement = std::make_unique<DoStmt>(Advance().line);
    const int savedSingleLine = m_singleLineIf;
    m_singleLineIf = 0;
    if (Is(TokenKind::While) || Is(TokenKind::Until)) {
        statement->conditionKind
            = Advance().kind == TokenKind::While ? LoopCondition::WhileBefore : LoopCondition::UntilBefore;
        statement->condition = ParseExpression();
    }
    ExpectStatementEnd();
    ++m_doDepth;
    statement->body = ParseBlock({TokenKind::Loop});
    --m_doDepth;
    Expect(TokenKind::Loop, errc::ExpectedLoop);
    if (Is(TokenKind::While) || Is(TokenKind::Until)) {
        if (statement->conditionKind != LoopCondition::None)
            Fail(errc::ExpectedEndOfStatement);
        statement->conditionKind
            = Advance().kind == TokenKind::While ? LoopCondition::WhileAfter : LoopCondition::UntilAfter;
        statement->condition = ParseExpression();
    }
    m_singleLineIf = savedSingleLine;
    ExpectStatementEnd();
    return statement;
}

StmtPtr Parser::ParseWhile()
{
    NestingGuard guard(*this, Current());
    auto statement = std::make_unique<DoStmt>(Advance().line);
    const int savedSingleLine = m_singleLineIf;
    m_singleLineIf = 0;
    statement->conditionKind = LoopCondition::WhileBefore;
    statement->condition = ParseExpression();
    ExpectStatementEnd();
    // Exit Do inside a While leaves the enclosing Do (and the While with it).
    statement->isWhileWend = true;
    statement->body = ParseBlock({TokenKind::Wend});
    Expect(TokenKind::Wend, errc::ExpectedWend);
    m_singleLineIf = savedSingleLine;
    ExpectStatementEnd();
    return statement;
}

StmtPtr Parser::ParseSelect()
{
    NestingGuard guard(*this, Current());
    auto statement = std::make_unique<SelectStmt>(Advance().line);
    const int savedSingleLine = m_singleLineIf;
    m_singleLineIf = 0;
    Expect(TokenKind::Case, errc::ExpectedCase);
    statement->test = ParseExpression();
    ExpectStatementEnd();
    SkipSeparators();
    while (Is(TokenKind::Case)) {
        Advance();
        if (Is(TokenKind::Else)) {
            Advance();
            statement->hasElse = true;
            statement->elseBody = ParseBlock({TokenKind::End, TokenKind::Case});
            if (Is(TokenKind::Case))
                Fail(errc::ExpectedEnd);
            break;
        }
        SelectStmt::Case branch;
        branch.values.push_back(ParseExpression());
        while (Is(TokenKind::Comma)) {
            Advance();
            branch.values.push_back(ParseExpression());
        }
        branch.body = ParseBlock({TokenKind::End, TokenKind::Case});
        statement->cases.push_back(std::move(branch));
    }
    if (Is(TokenKind::EndOfFile))
        Fail(errc::ExpectedEnd);
    if (!Is(TokenKind::End))
        Fail(errc::ExpectedCase);
    m_singleLineIf = savedSingleLine;
    ExpectEnd(TokenKind::Select, errc::ExpectedSelect);
    return statement;
}

StmtPtr Parser::ParseWith()
{
    NestingGuard guard(*this, Current());
    auto statement = std::make_unique<WithStmt>(Advance().line);
    const int savedSingleLine = m_singleLineIf;
    m_singleLineIf = 0;
    statement->object = ParseExpression();
    ExpectStatementEnd();
    ++m_withDepth;
    statement->body = ParseBlock({TokenKind::End});
    --m_withDepth;
    if (Is(TokenKind::EndOfFile))
        Fail(errc::ExpectedEnd);
    m_singleLineIf = savedSingleLine;
    ExpectEnd(TokenKind::With, errc::ExpectedWith);
    return statement;
}

StmtPtr Parser::ParseExit()
{
    const Token& keyword = Advance();
    const Token& what = Current();
    ExitKind kind = ExitKind::Sub;
    bool valid = false;
    switch (what.kind) {
    case TokenKind::Sub:
        kind = ExitKind::Sub;
        valid = m_scope != nullptr && !m_scope->procedure->isFunction;
        break;
    case TokenKind::Function:
        kind = ExitKind::Function;
        valid = m_scope != nullptr && m_scope->procedure->isFunction;
        break;
    case TokenKind::For:
        kind = ExitKind::For;
        valid = m_forDepth > 0;
        break;
    case TokenKind::Identifier:
        if (!IsIdentifierText("property"))
            Fail(errc::InvalidExit);
        kind = ExitKind::Property;
        valid = m_scope != nullptr && m_scope->procedure->procedureKind >= ProcedureKind::PropertyGet;
        break;
    case TokenKind::Do:
        kind = ExitKind::Do;
        valid = m_doDepth > 0;
        break;
    default:
        Fail(errc::InvalidExit);
    }
    if (!valid)
        Fail(errc::InvalidExit, what);
    Advance();
    ExpectStatementEnd();
    return std::make_unique<ExitStmt>(keyword.line, kind);
}

StmtPtr Parser::ParseOnError()
{
    const int line = Advance().line;
    if (!IsIdentifierText("error"))
        Fail(errc::SyntaxError);
    Advance();
    bool resumeNext = false;
    if (IsIdentifierText("resume")) {
        Advance();
        Expect(TokenKind::Next, errc::SyntaxError);
        resumeNext = true;
    } else if (IsIdentifierText("goto")) {
        Advance();
        if (!Is(TokenKind::Number) || Current().number.Type() != VarType::Integer
            || Current().number.AsInteger() != 0)
            Fail(errc::SyntaxError);
        Advance();
    } else {
        Fail(errc::SyntaxError);
    }
    ExpectStatementEnd();
    return std::make_unique<OnErrorStmt>(line, resumeNext);
}

// ---- Expressions ----

ExprPtr Parser::Finish(ExprPtr expr, int childDepth)
{
    expr->depth = childDepth + 1;
    if (expr->depth > MaxExpressionDepth)
        Fail(errc::OutOfStackSpace);
    return expr;
}

ExprPtr Parser::ParseExpression() { return ParseBinary(Imp); }

ExprPtr Parser::ParseBinary(int minPrecedence)
{
    NestingGuard guard(*this, Current());
    return ParseBinaryRest(ParseUnary(), minPrecedence);
}

ExprPtr Parser::ParseBinaryRest(ExprPtr left, int minPrecedence)
{
    while (true) {
        const BinaryOperator* op = BinaryOperatorOf(Current().kind);
        if (op == nullptr || op->precedence < minPrecedence)
            return left;
        const int line = Advance().line;
        ExprPtr right = ParseBinary(op->precedence + 1);
        const int childDepth = std::max(left->depth, right->depth);
        left = Finish(
            std::make_unique<BinaryExpr>(line, op->op, std::move(left), std::move(right)), childDepth);
    }
}

ExprPtr Parser::ParseUnary()
{
    const Token& token = Current();
    if (token.kind == TokenKind::Not) {
        Advance();
        ExprPtr operand = ParseBinary(Comparison);
        const int depth = operand->depth;
        return Finish(std::make_unique<UnaryExpr>(token.line, UnaryOp::Not, std::move(operand)), depth);
    }
    if (token.kind == TokenKind::Minus || token.kind == TokenKind::Plus) {
        // The sign takes the operand alone: -3 ^ 2 is 9, as VBScript computes it.
        NestingGuard guard(*this, token);
        Advance();
        ExprPtr operand = ParseUnary();
        const int depth = operand->depth;
        const UnaryOp op = token.kind == TokenKind::Minus ? UnaryOp::Negate : UnaryOp::Plus;
        return Finish(std::make_unique<UnaryExpr>(token.line, op, std::move(operand)), depth);
    }
    return ParsePrimary();
}

ExprPtr Parser::ParsePrimary()
{
    const Token& token = Current();
    switch (token.kind) {
    case TokenKind::Number:
        Advance();
        return std::make_unique<LiteralExpr>(token.line, token.number);
    case TokenKind::String:
        Advance();
        return std::make_unique<LiteralExpr>(token.line, Variant::FromString(token.text));
    case TokenKind::True:
    case TokenKind::False:
        Advance();
        return std::make_unique<LiteralExpr>(token.line, Variant::FromBool(token.kind == TokenKind::True));
    case TokenKind::Empty:
        Advance();
        return std::make_unique<LiteralExpr>(token.line, Variant());
    case TokenKind::Null:
        Advance();
        return std::make_unique<LiteralExpr>(token.line, Variant::Null());
    case TokenKind::Nothing:
        Advance();
        return std::make_unique<LiteralExpr>(token.line, Variant::Nothing());
    case TokenKind::Identifier:
    case TokenKind::Dot:
    case TokenKind::Me:
        return ParseTarget();
    case TokenKind::New: {
        Advance();
        const Token& name = Expect(TokenKind::Identifier, errc::ExpectedIdentifier);
        return std::make_unique<NewExpr>(token.line, name.text, AsciiLowerCopy(name.text));
    }
    case TokenKind::LParen: {
        Advance();
        ExprPtr inner = ParseExpression();
        Expect(TokenKind::RParen, errc::ExpectedRParen);
        const int depth = inner->depth;
        return ParsePostfix(Finish(std::make_unique<ParenExpr>(token.line, std::move(inner)), depth));
    }
    default:
        Fail(errc::ExpectedExpression);
    }
}

ExprPtr Parser::ParseTarget()
{
    const Token& token = Current();
    if (token.kind == TokenKind::Dot) {
        if (m_withDepth == 0)
            Fail(errc::ExpectedStatement);
        Advance();
        std::string name = ParseMemberName();
        return ParsePostfix(std::make_unique<MemberExpr>(token.line, nullptr, std::move(name)));
    }
    if (token.kind == TokenKind::Me) {
        Advance();
        return ParsePostfix(std::make_unique<MeExpr>(token.line));
    }
    if (token.kind != TokenKind::Identifier)
        Fail(errc::ExpectedIdentifier);
    Advance();
    return ParsePostfix(MakeIdentifier(token));
}

std::string Parser::ParseMemberName()
{
    if (!IsWordToken(Current().kind))
        Fail(errc::ExpectedIdentifier);
    return Advance().text;
}

ExprPtr Parser::ParsePostfix(ExprPtr target)
{
    const bool spacedDotEnds = m_spacedDotEndsTarget;
    m_spacedDotEndsTarget = false;
    while (true) {
        if (Is(TokenKind::Dot) && !(spacedDotEnds && Current().spaceBefore)) {
            const int line = Advance().line;
            std::string name = ParseMemberName();
            const int depth = target->depth;
            target = Finish(std::make_unique<MemberExpr>(line, std::move(target), std::move(name)), depth);
        } else if (Is(TokenKind::LParen)) {
            NestingGuard guard(*this, Current());
            const int line = Current().line;
            auto call = std::make_unique<CallExpr>(line, std::move(target));
            call->args = ParseArgumentList();
            int depth = call->target->depth;
            for (const ExprPtr& arg : call->args) {
                if (arg)
                    depth = std::max(depth, arg->depth);
            }
            if (call->target->kind == ExprKind::Identifier)
                static_cast<IdentifierExpr*>(call->target.get())->isCallTarget = true;
            target = Finish(std::move(call), depth);
        } else {
            return target;
        }
    }
}

std::vector<ExprPtr> Parser::ParseArgumentList()
{
    std::vector<ExprPtr> args;
    Advance(); // (
    if (Is(TokenKind::RParen)) {
        Advance();
        return args;
    }
    while (true) {
        if (Is(TokenKind::Comma) || Is(TokenKind::RParen))
            args.emplace_back();
        else
            args.push_back(ParseExpression());
        if (!Is(TokenKind::Comma))
            break;
        Advance();
    }
    Expect(TokenKind::RParen, errc::ExpectedRParen);
    return args;
}

ExprPtr Parser::ParseArgument()
{
    if (Is(TokenKind::Comma) || AtStatementEnd())
        return nullptr;
    return ParseExpression();
}

} // namespace vortalux::script
