' Classes: members, properties, default members, Me, New, object identity and the lifetime of
' instances (Class_Initialize, Class_Terminate when the last reference goes).
Option Explicit
Dim nl, log, a, b, c, x, i
nl = vbCrLf

Class Counter
    Public Count
    Private m_step
    Dim label

    Private Sub Class_Initialize()
        Count = 0
        m_step = 1
        label = "counter"
    End Sub

    Public Sub Bump()
        Count = Count + m_step
    End Sub

    Function Twice()
        Bump
        Me.Bump
        Twice = Count
    End Function

    Public Property Get Stepping()
        Stepping = m_step
    End Property

    Public Property Let Stepping(value)
        If value <= 0 Then Err.Raise 5
        m_step = value
    End Property

    Private Function Hidden()
        Hidden = "hidden"
    End Function

    Public Function CallsHidden()
        CallsHidden = Hidden() & "/" & Hidden
    End Function
End Class

' ---- Fields, methods, properties, visibility ----
Set a = New Counter
Test.Same TypeName(a), "Counter", "TypeName is the class name"
Test.Same VarType(a), 9, "VarType of an instance"
Test.Check IsObject(a), "IsObject of an instance"
Test.Same a.Count, 0, "Class_Initialize ran"
a.Bump
Test.Same a.Count, 1, "a Sub called as a statement"
Test.Same a.Twice(), 3, "a method calling members by name and through Me"
a.Stepping = 10
Test.Same a.Stepping, 10, "Property Let then Property Get"
a.Bump
Test.Same a.Count, 13, "the property changed a private field"
Test.Same a.label, "counter", "Dim in a class is public"
Test.Same a.CallsHidden, "hidden/hidden", "private members are reachable inside the class"
a.Count = "text"
Test.Same a.Count, "text", "a public field is assigned from outside"

' ---- Errors of member access ----
Test.Equal Test.Run("Class C" & nl & "Private p" & nl & "End Class" & nl & "Set o = New C" & nl & "x = o.p"), 438, "a private field from outside"
Test.Equal Test.Description, "Object doesn't support this property or method", "text of 438"
Test.Equal Test.Line, 5, "line of the private access"
Test.Equal Test.Run("Class C" & nl & "Private Sub S()" & nl & "End Sub" & nl & "End Class" & nl & "Set o = New C" & nl & "o.S"), 438, "a private method from outside"
Test.Equal Test.Run("Class C" & nl & "End Class" & nl & "Set o = New C" & nl & "o.Missing 1"), 438, "an unknown member"
Test.Equal Test.Run("Class C" & nl & "Property Get P()" & nl & "P = 1" & nl & "End Property" & nl & "End Class" & nl & "Set o = New C" & nl & "o.P = 2"), 450, "assigning a property without Let"
Test.Equal Test.Description, "Wrong number of arguments or invalid property assignment", "text of 450"
Test.Equal Test.Run("Class C" & nl & "Sub S(a)" & nl & "End Sub" & nl & "End Class" & nl & "Set o = New C" & nl & "o.S 1, 2"), 450, "too many arguments to a method"
Test.Equal Test.Run("Class C" & nl & "End Class" & nl & "Set o = New C" & nl & "x = o"), 438, "the value of an instance without a default member"
Test.Equal Test.Run("Set o = New Missing"), 506, "New of an unknown class"
Test.Equal Test.Description, "Class not defined", "text of 506"
Test.Equal Test.Run("Class C" & nl & "End Class" & nl & "o = New C"), 438, "New without Set on a class without a default member"
Test.Equal Test.Run("x = 1" & nl & "Set x = 5"), 424, "Set of a number"
Test.Equal Test.Run("x = Me"), 424, "Me outside a class"
Test.Equal Test.Run("Class C" & nl & "End Class" & nl & "Set o = New C" & nl & "Set o = Nothing" & nl & "o.X"), 91, "a member of Nothing"
Test.Equal Test.Run("Set o = Nothing" & nl & "x = o Is 1"), 424, "Is needs two objects"

' ---- Compilation errors of class definitions ----
Sub ExpectCompile(code, number, description, line, column)
    Test.Equal Test.Run(code), number, "number for: " & code
    Test.Equal Test.Description, description, "text for: " & code
    Test.Equal Test.Line, line, "line for: " & code
    Test.Equal Test.Column, column, "column for: " & code
End Sub
ExpectCompile "Class C" & nl & "Dim a" & nl & "Sub A()" & nl & "End Sub" & nl & "End Class", 1041, "Name redefined", 3, 4
ExpectCompile "Sub C()" & nl & "End Sub" & nl & "Class C" & nl & "End Class", 1041, "Name redefined", 3, 6
ExpectCompile "Class C" & nl & "Private Default Function F()" & nl & "End Function" & nl & "End Class", 1057, "'Default' must go with 'Public'", 2, 8
ExpectCompile "Class C" & nl & "Public Default Property Let P(v)" & nl & "End Property" & nl & "End Class", 1058, "'Default' is allowed only on Property Get", 2, 7
ExpectCompile "Class C" & nl & "Public Default Function F()" & nl & "End Function" & nl & "Public Default Function G()" & nl & "End Function" & nl & "End Class", 1052, "Cannot have multiple default property/method in a Class", 4, 7
ExpectCompile "Class C" & nl & "Sub Class_Initialize(x)" & nl & "End Sub" & nl & "End Class", 1053, "Class initialize or terminate do not have arguments", 2, 4
ExpectCompile "Class C" & nl & "Property Let P()" & nl & "End Property" & nl & "End Class", 1054, "Property set or let must have at least one argument", 2, 13
ExpectCompile "Class C" & nl & "Property Get P()" & nl & "End Function" & nl & "End Class", 1050, "Expected 'Property'", 3, 4
ExpectCompile "Class C" & nl & "Property P()" & nl & "End Property" & nl & "End Class", 1049, "Expected Let or Set or Get in property declaration", 2, 9
ExpectCompile "Class C" & nl & "x = 1" & nl & "End Class", 1024, "Expected statement", 2, 0
ExpectCompile "Class C" & nl & "Sub S()" & nl & "End Sub" & nl & "End Sub", 1047, "Expected 'Class'", 4, 4
ExpectCompile "Sub S()" & nl & "Class C" & nl & "End Class" & nl & "End Sub", 1024, "Expected statement", 2, 0
ExpectCompile "Class C" & nl & "Sub S()" & nl & "Exit Property" & nl & "End Sub" & nl & "End Class", 1039, "Invalid 'exit' statement", 3, 5

' ---- Default members, Property Set, properties with arguments ----
Class Bag
    Private m_items(3)
    Private m_owner
    Public Default Property Get Item(i)
        Item = m_items(i)
    End Property
    Public Property Let Item(i, value)
        m_items(i) = value
    End Property
    Public Property Get Owner()
        If IsObject(m_owner) Then Set Owner = m_owner Else Owner = m_owner
    End Property
    Public Property Set Owner(value)
        Set m_owner = value
    End Property
    Public Property Let Owner(value)
        m_owner = "let:" & value
    End Property
    Public Sub Fill(ByRef target, ByVal copy)
        target = "filled"
        copy = "changed"
    End Sub
End Class

Set b = New Bag
b.Item(1) = "one"
b(2) = "two"
Test.Same b(1), "one", "the default Property Get with an argument"
Test.Same b.Item(2), "two", "Property Let with an argument through the default member"
Set c = New Counter
Set b.Owner = c
Test.Check b.Owner Is c, "Set obj.Prop calls Property Set"
b.Owner = 5
Test.Same b.Owner, "let:5", "obj.Prop = value calls Property Let"
x = "old"
i = "kept"
b.Fill x, i
Test.Same x, "filled", "ByRef argument of a method"
Test.Same i, "kept", "ByVal argument of a method"
Class Named
    Public Default Function Text()
        Text = "named"
    End Function
End Class
Set x = New Named
Test.Same x & "!", "named!", "the default Function gives the value of an instance"
Test.Same UCase(x), "NAMED", "the default value as an argument"
x = New Named
Test.Same x, "named", "assignment without Set takes the default value"

' ---- Identity: Is, Nothing, Me ----
Class Node
    Public NextNode
    Public Function Self()
        Set Self = Me
    End Function
End Class
Set a = New Node
Set b = a
Set c = New Node
Test.Check a Is b, "two references to one instance"
Test.Check Not (a Is c), "two instances"
Test.Check a.Self() Is a, "Me is the instance"
Set a = Nothing
Test.Check a Is Nothing, "Set x = Nothing"
Test.Same TypeName(a), "Nothing", "TypeName of Nothing"
Test.Check IsObject(a), "Nothing is an object"

' ---- With over an instance ----
Set a = New Counter
With a
    .Stepping = 5
    .Bump
    .Bump
    Test.Same .Count, 10, "members through With"
End With

' ---- Fields holding arrays and objects ----
Class Grid
    Public Cells(2, 2)
    Public Rows()
    Public Child
    Sub Grow()
        ReDim Rows(4)
        Rows(4) = "last"
        Cells(1, 1) = "middle"
        Set Child = New Counter
    End Sub
End Class
Set a = New Grid
a.Grow
a.Cells(0, 1) = "from outside"
Test.Same a.Cells(1, 1), "middle", "a fixed array field"
Test.Same a.Cells(0, 1), "from outside", "an element of an array field assigned from outside"
Test.Equal UBound(a.Rows), 4, "ReDim of a field"
Test.Same a.Rows(4), "last", "an element of a dynamic array field"
a.Child.Bump
Test.Same a.Child.Count, 1, "a member of a member"

' ---- Class_Terminate: when the last reference goes ----
Class Tracked
    Public Name
    Private Sub Class_Terminate()
        log = log & "~" & Name
    End Sub
End Class

Function MakeTracked(name)
    Dim t
    Set t = New Tracked
    t.Name = name
    Set MakeTracked = t
End Function

Sub UseLocal()
    Dim t
    Set t = MakeTracked("local")
    log = log & "in;"
End Sub

log = ""
Set a = MakeTracked("a")
Set b = a
Set a = Nothing
log = log & "1;"
Set b = Nothing
log = log & "2;"
Test.Same log, "1;~a2;", "Terminate runs when the last of two references goes"
log = ""
UseLocal
log = log & "out;"
Test.Same log, "in;~localout;", "a local instance terminates when its procedure returns"
log = ""
Set a = MakeTracked("first")
Set a = MakeTracked("second")
log = log & ";"
Test.Same log, "~first;", "replacing the reference terminates the old instance"
Set a = Nothing
log = ""
x = MakeTracked("temporary").Name
log = log & ";"
Test.Same log, "~temporary;", "an instance never stored terminates after its use"

' Terminate that raises, re-enters, and keeps Me alive.
Class Troubled
    Public Mode
    Private Sub Class_Terminate()
        log = log & "T" & Mode
        If Mode = 1 Then Err.Raise 5
        If Mode = 2 Then Set c = Me
        If Mode = 3 Then
            Dim other
            Set other = New Troubled
            other.Mode = 4
        End If
    End Sub
End Class
log = ""
Set a = New Troubled
a.Mode = 1
Set a = Nothing
log = log & ";"
Test.Same log, "T1;", "an error in Terminate does not escape"
Test.Equal Err.Number, 0, "nor reaches Err"
Set c = Nothing
log = ""
Set a = New Troubled
a.Mode = 2
Set a = Nothing
Test.Same TypeName(c), "Troubled", "Terminate stored Me: the instance lives on"
Set c = Nothing
log = log & ";"
Test.Same log, "T2;", "a resurrected instance does not terminate twice"
log = ""
Set a = New Troubled
a.Mode = 3
Set a = Nothing
Test.Same log, "T3T4", "an instance made and dropped inside Terminate terminates too"

' At the end of a script, the globals let go of their instances; cycles leak without harm.
Test.Equal Test.Run("Class T" & nl & "Sub Class_Terminate()" & nl & "Err.Raise 9" & nl & "End Sub" & nl & "End Class" & nl & "Set o = New T"), 0, "an error in Terminate at the end of the script"
Test.Equal Test.Run("Class N" & nl & "Public Other" & nl & "Sub Class_Terminate()" & nl & "Other.Missing" & nl & "End Sub" & nl & "End Class" & nl & "Set a = New N" & nl & "Set b = New N" & nl & "Set a.Other = b" & nl & "Set b.Other = a"), 0, "a reference cycle at the end of the script"
Test.Equal Test.Run("Class T" & nl & "Sub Class_Initialize()" & nl & "Err.Raise 11" & nl & "End Sub" & nl & "End Class" & nl & "Set o = New T"), 11, "an error in Class_Initialize reaches New"
Test.Equal Test.Line, 3, "on its own line"

' ---- Exit Property, objects from Property Get, recursion, names shared with globals ----
Function Describe(v)
    Describe = "global " & v
End Function
Class Tree
    Public Kids, Depth
    Public Property Get First()
        If IsEmpty(Kids) Then
            Set First = Nothing
            Exit Property
        End If
        Set First = Kids(0)
    End Property
    Public Function Describe(v)
        Describe = "member " & v
    End Function
    Public Function Both()
        Both = Describe(1) & "/" & Depth
    End Function
End Class
Set a = New Tree
Test.Check a.First Is Nothing, "Exit Property leaves the result as set"
Set b = New Tree
b.Depth = 2
a.Kids = Array(b)
Test.Check a.First Is b, "an object from Property Get"
Test.Same a.First.Depth, 2, "a member of what Property Get gave"
Test.Same b.Both(), "member 1/2", "inside the class a member hides a global of the same name"
Test.Same Describe(1), "global 1", "outside it the global answers"
Test.MaxDepth = 50
Test.Equal Test.Run("Class R" & nl & "Function F(n)" & nl & "F = F(n + 1)" & nl & "End Function" & nl & "End Class" & nl & "Set o = New R" & nl & "o.F 1"), 28, "endless recursion in a method"
Test.MaxDepth = 1000
