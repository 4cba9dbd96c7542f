#pragma once

#include "Variant.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace vortalux::script {

// The syntax tree the parser builds and the interpreter walks. Nodes are plain records; the
// interpreter dispatches on `kind`.

enum class ExprKind { Literal, Identifier, Member, Call, Unary, Binary, Paren, New, Me };

struct Expr {
    explicit Expr(ExprKind k, int l)
        : kind(k)
        , line(l)
    {
    }
    virtual ~Expr() = default;
    Expr(const Expr&) = delete;
    Expr& operator=(const Expr&) = delete;

    ExprKind kind;
    int line;
    int depth = 1; // height of the subtree; the parser bounds it
};
using ExprPtr = std::unique_ptr<Expr>;

struct LiteralExpr final : Expr {
    LiteralExpr(int l, Variant v)
        : Expr(ExprKind::Literal, l)
        , value(std::move(v))
    {
    }
    Variant value;
};

class Procedure;
class ClassDefinition;

// How a name is bound. Local names, constants and the members of the class around a procedure
// are settled at compile time; every other name ("free") is looked up when first used and the
// answer kept in `cache`.
enum class BindingKind { Free, Local, Constant, Member };
enum class FreeKind { Unresolved, Global, Procedure, Builtin, BuiltinConstant, ImplicitLocal };

struct IdentifierExpr final : Expr {
    IdentifierExpr(int l, std::string n, std::string k)
        : Expr(ExprKind::Identifier, l)
        , name(std::move(n))
        , key(std::move(k))
    {
    }
    std::string name; // as written
    std::string key; // lower case
    BindingKind binding = BindingKind::Free;
    // Local: frame slot; Free inside a procedure: slot of an implicit local; Member: index of the
    // member in its class.
    int slot = -1;
    Variant constant; // Constant
    // The function's own name used to call it rather than to set its result.
    bool isCallTarget = false;
    // Run-time resolution of a free name, valid while `cacheGeneration` is the host's.
    mutable FreeKind cacheKind = FreeKind::Unresolved;
    mutable uint64_t cacheGeneration = 0;
    mutable int cacheIndex = -1;
    mutable const Procedure* cacheProcedure = nullptr;
    mutable const Variant* cacheConstant = nullptr;
};

// `object.name`; a null object is the object of the enclosing With.
struct MemberExpr final : Expr {
    MemberExpr(int l, ExprPtr o, std::string n)
        : Expr(ExprKind::Member, l)
        , object(std::move(o))
        , name(std::move(n))
    {
    }
    ExprPtr object;
    std::string name;
    // The member of a script class last found under this name (class definitions live as long
    // as the interpreter, so the address is never reused for another class).
    mutable const ClassDefinition* cacheClass = nullptr;
    mutable int cacheMember = -1;
};

// `target(arguments)`: a call, an array element, or a member with arguments. A null argument
// was left out (`F a, , b`).
struct CallExpr final : Expr {
    CallExpr(int l, ExprPtr t)
        : Expr(ExprKind::Call, l)
        , target(std::move(t))
    {
    }
    ExprPtr target;
    std::vector<ExprPtr> args;
};

// `New ClassName`.
struct NewExpr final : Expr {
    NewExpr(int l, std::string n, std::string k)
        : Expr(ExprKind::New, l)
        , name(std::move(n))
        , key(std::move(k))
    {
    }
    std::string name;
    std::string key; // lower case
};

// `Me`: the instance whose method runs.
struct MeExpr final : Expr {
    explicit MeExpr(int l)
        : Expr(ExprKind::Me, l)
    {
    }
};

enum class UnaryOp { Negate, Plus, Not };

struct UnaryExpr final : Expr {
    UnaryExpr(int l, UnaryOp o, ExprPtr e)
        : Expr(ExprKind::Unary, l)
        , op(o)
        , operand(std::move(e))
    {
    }
    UnaryOp op;
    ExprPtr operand;
};

enum class BinaryOp {
    Imp,
    Eqv,
    Xor,
    Or,
    And,
    Equal,
    NotEqual,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    Is,
    Concat,
    Add,
    Subtract,
    Modulo,
    IntegerDivide,
    Multiply,
    Divide,
    Power,
};

struct BinaryExpr final : Expr {
    BinaryExpr(int l, BinaryOp o, ExprPtr a, ExprPtr b)
        : Expr(ExprKind::Binary, l)
        , op(o)
        , left(std::move(a))
        , right(std::move(b))
    {
    }
    BinaryOp op;
    ExprPtr left;
    ExprPtr right;
};

// `(expression)`: a value, never a reference (a ByRef parameter gets a copy).
struct ParenExpr final : Expr {
    ParenExpr(int l, ExprPtr e)
        : Expr(ExprKind::Paren, l)
        , inner(std::move(e))
    {
    }
    ExprPtr inner;
};

enum class StmtKind { Call, Assign, ReDim, Erase, If, For, ForEach, Do, Select, With, Exit, OnError };

struct Stmt {
    explicit Stmt(StmtKind k, int l)
        : kind(k)
        , line(l)
    {
    }
    virtual ~Stmt() = default;
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;

    StmtKind kind;
    int line;
};
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

// `F a, b`, `Call F(a, b)`, `obj.M a`; `callee` is an identifier or a member.
struct CallStmt final : Stmt {
    explicit CallStmt(int l)
        : Stmt(StmtKind::Call, l)
    {
    }
    ExprPtr callee;
    std::vector<ExprPtr> args;
    bool withCallKeyword = false;
};

struct AssignStmt final : Stmt {
    explicit AssignStmt(int l)
        : Stmt(StmtKind::Assign, l)
    {
    }
    ExprPtr target; // identifier, member, or call (element / member with arguments)
    ExprPtr value;
    bool isSet = false;
};

struct ReDimStmt final : Stmt {
    explicit ReDimStmt(int l)
        : Stmt(StmtKind::ReDim, l)
    {
    }
    struct Item {
        std::unique_ptr<IdentifierExpr> target;
        std::vector<ExprPtr> bounds;
    };
    bool preserve = false;
    std::vector<Item> items;
};

struct EraseStmt final : Stmt {
    explicit EraseStmt(int l)
        : Stmt(StmtKind::Erase, l)
    {
    }
    std::unique_ptr<IdentifierExpr> target;
};

struct IfStmt final : Stmt {
    explicit IfStmt(int l)
        : Stmt(StmtKind::If, l)
    {
    }
    struct Branch {
        ExprPtr condition;
        Block body;
    };
    std::vector<Branch> branches; // If, then each ElseIf
    Block elseBody;
};

struct ForStmt final : Stmt {
    explicit ForStmt(int l)
        : Stmt(StmtKind::For, l)
    {
    }
    std::unique_ptr<IdentifierExpr> variable;
    ExprPtr from;
    ExprPtr to;
    ExprPtr step; // may be null
    Block body;
};

struct ForEachStmt final : Stmt {
    explicit ForEachStmt(int l)
        : Stmt(StmtKind::ForEach, l)
    {
    }
    std::unique_ptr<IdentifierExpr> variable;
    ExprPtr collection;
    Block body;
};

enum class LoopCondition { None, WhileBefore, UntilBefore, WhileAfter, UntilAfter };

struct DoStmt final : Stmt {
    explicit DoStmt(int l)
        : Stmt(StmtKind::Do, l)
    {
    }
    LoopCondition conditionKind = LoopCondition::None;
    ExprPtr condition;
    Block body;
    bool isWhileWend = false; // Exit Do passes through a While loop
};

struct SelectStmt final : Stmt {
    explicit SelectStmt(int l)
        : Stmt(StmtKind::Select, l)
    {
    }
    struct Case {
        std::vector<ExprPtr> values;
        Block body;
    };
    ExprPtr test;
    std::vector<Case> cases;
    bool hasElse = false;
    Block elseBody;
};

struct WithStmt final : Stmt {
    explicit WithStmt(int l)
        : Stmt(StmtKind::With, l)
    {
    }
    ExprPtr object;
    Block body;
};

enum class ExitKind { Sub, Function, Property, For, Do };

struct ExitStmt final : Stmt {
    ExitStmt(int l, ExitKind k)
        : Stmt(StmtKind::Exit, l)
        , exitKind(k)
    {
    }
    ExitKind exitKind;
};

struct OnErrorStmt final : Stmt {
    OnErrorStmt(int l, bool resume)
        : Stmt(StmtKind::OnError, l)
        , resumeNext(resume)
    {
    }
    bool resumeNext;
};

struct Module;
class ClassDefinition;

enum class ProcedureKind { Sub, Function, PropertyGet, PropertyLet, PropertySet };

// A Sub, Function or Property. Frame slot 0 holds a function's result, slots 1..n the parameters, then
// the declared locals, then one slot per free name that may turn out to be an implicit local.
class Procedure {
public:
    struct Parameter {
        std::string name;
        bool byVal = false;
    };
    struct ArrayDeclaration {
        int slot;
        std::vector<int32_t> upperBounds; // empty for `Dim a()`
    };

    std::string name;
    ProcedureKind procedureKind = ProcedureKind::Sub;
    bool isFunction = false; // has a result: a Function or a Property Get
    bool isPublic = true;
    std::vector<Parameter> parameters;
    std::vector<ArrayDeclaration> arrays;
    int slotCount = 1;
    int line = 0;
    Block body;
    const Module* module = nullptr;
    const ClassDefinition* owner = nullptr; // the class of a method
    // The frame slots by name (parameters, locals, the result), for Execute and Eval.
    std::unordered_map<std::string, int> localNames;
    std::unordered_map<std::string, Variant> constants;
    std::unordered_map<std::string, int> implicitNames; // slots of names that may be implicit locals
};

// One name of a class: a field, a Sub or Function, or the Get / Let / Set of a property.
struct ClassMember {
    std::string name;
    bool isPublic = true;
    int field = -1; // index of the field, or -1
    const Procedure* method = nullptr;
    const Procedure* get = nullptr;
    const Procedure* let = nullptr;
    const Procedure* set = nullptr;
};

struct ClassField {
    bool isArray = false;
    std::vector<int32_t> upperBounds; // for arrays; empty for `Dim a()`
};

// `Class ... End Class`. Shared with its instances, which may outlive the module.
class ClassDefinition {
public:
    std::string name;
    std::string key;
    int line = 0;
    std::vector<ClassField> fields;
    std::vector<ClassMember> members;
    std::unordered_map<std::string, int> memberIndex; // lower-case name -> members
    int defaultMember = -1;
    const Procedure* initialize = nullptr;
    const Procedure* terminate = nullptr;
    std::vector<std::unique_ptr<Procedure>> procedures;

    // The index of the member `key` (lower case), or -1.
    int IndexOf(const std::string& memberKey) const
    {
        const auto it = memberIndex.find(memberKey);
        return it == memberIndex.end() ? -1 : it->second;
    }
};

// A global name declared by Dim, Public, Private or Const at the top level of a module.
struct GlobalDeclaration {
    std::string name;
    std::string key;
    int line = 0;
    bool isConst = false;
    Variant constant;
    bool isArray = false;
    std::vector<int32_t> upperBounds; // for arrays; empty for `Dim a()`
};

// What one AddCode compiles.
struct Module {
    bool optionExplicit = false;
    std::vector<std::unique_ptr<Procedure>> procedures;
    std::vector<std::shared_ptr<ClassDefinition>> classes;
    std::vector<GlobalDeclaration> globals;
    Block body; // the global statements
};

} // namespace vortalux::script
