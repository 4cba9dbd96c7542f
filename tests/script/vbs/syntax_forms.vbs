' Forms of the language that Windows accepts and that once failed here: operator binding,
' one-line If with End If, procedures defined again or inside blocks, With Nothing.
Dim nl, log, a(), x
nl = vbCrLf

' The sign takes its operand before ^ does.
Test.Same -3 ^ 2, CDbl(9), "-3 ^ 2"
x = 2
Test.Same -x ^ 2, CDbl(4), "-x ^ 2"
Test.Same 2 ^ -x, CDbl(0.25), "a negative exponent"
Test.Same 10 - -2 ^ 2, CDbl(6), "a sign after an operator"
Test.Same Not 1 = 2, True, "Not still takes the whole comparison"

' One-line If closed by End If, and `If c Then :`.
log = ""
If x = 2 Then log = log & "a" Else log = log & "b" End If
If x = 3 Then log = log & "c" End If
If x = 2 Then log = log & "d" : log = log & "e" End If
If x = 3 Then log = log & "f" Else End If
Test.Same log, "ade", "one-line If ... End If"
If x = 2 Then :
    log = log & "g"
End If
If x = 3 Then :
    log = log & "h"
End If
Test.Same log, "adeg", "If c Then : opens a block"
Test.Equal Test.Run("If 1 Then x = 1 End If End If"), 1025, "one End If closes a one-line If"

' A procedure defined again: the last definition is the one called, even before it.
Test.Same Which(), "second", "the last definition wins"
Function Which()
    Which = "first"
End Function
Function Which()
    Which = "second"
End Function
Test.Equal Test.Run("Dim v" & nl & "Sub v()" & nl & "End Sub"), 1041, "a variable and a procedure still clash"

' A procedure defined inside a block of global code.
If x = 2 Then
    Function Inside()
        Inside = "inside"
    End Function
End If
Test.Same Inside(), "inside", "a function defined inside If"
For x = 1 To 2
    Sub InLoop()
        log = "loop"
    End Sub
Next
InLoop
Test.Same log, "loop", "a Sub defined inside For"
Test.Equal Test.Run("Sub S()" & nl & "If 1 Then" & nl & "Sub T()" & nl & "End Sub" & nl & "End If" & nl & "End Sub"), 1024, "not inside another procedure"

' For Each over an array that was never dimensioned.
log = ""
For Each x In a
    log = log & "item"
Next
Test.Same log, "", "Dim a() has no elements"

' With Nothing fails only when a member is used.
log = ""
With Nothing
    log = "entered"
End With
Test.Same log, "entered", "With Nothing runs its block"

' Under On Error Resume Next a loop or Select header that fails goes on inside the block.
On Error Resume Next
log = ""
For x = 1 To 1 / 0
    log = log & "for;"
Next
Test.Equal Err.Number, 11, "the For header's error is in Err"
Err.Clear
For Each x In 5
    log = log & "each;"
Next
Test.Equal Err.Number, 451, "the For Each header's error is in Err"
Err.Clear
x = 0
Do While 1 / x
    x = x + 1
    log = log & "do;"
    If x = 2 Then Exit Do
Loop
Select Case 1 / 0
Case 1
    log = log & "case1;"
Case Else
    log = log & "else;"
End Select
Select Case 3
Case 1, 1 / 0
    log = log & "failed case;"
Case 3
    log = log & "three;"
End Select
On Error GoTo 0
Test.Same log, "for;each;do;do;case1;failed case;", "the block runs after its header failed"

' Arguments after a call that gave an object go to the object's default member.
Class Bag
    Private m_items(3)
    Public Default Property Get Item(i)
        Item = m_items(i)
    End Property
    Public Property Let Item(i, v)
        m_items(i) = v
    End Property
End Class
Dim sharedBag
Set sharedBag = New Bag
Function TheBag()
    Set TheBag = sharedBag
End Function
Function Bags(n)
    Set Bags = sharedBag
End Function
TheBag()(1) = "one"
Bags(0)(2) = "two"
Test.Same TheBag()(1), "one", "a call's result read with arguments"
Test.Same Bags(7)(2), "two", "arguments of the call and of the default member apart"
Test.Same sharedBag(1) & sharedBag(2), "onetwo", "assigned through the default member"

' =>, =< and >< are read as >=, <= and <>.
Test.Same Join(Array(2 => 1, 1 => 1, 1 => 2, 1 =< 2, 2 =< 2, 3 =< 2, 1 >< 2, 2 >< 2)), _
    "True True False True True False True False", "=>, =< and ><"
x = 3
If x=>3 Then x = x =<2
Test.Same x, False, "written without spaces, and after the = of an assignment"

' The end of a procedure on the line of its last statement, after a colon or directly.
Dim ended
Execute "Sub EndsAfterColon : ended = ended & ""a"" : End Sub"
Execute "Sub EndsDirectly" & nl & "ended = ended & ""b"" End Sub"
Execute "Function EndsInFunction() : EndsInFunction = ""c"" End Function"
Execute "Class EndsInClass" & nl & "Property Get P : P = ""d"" End Property" & nl & "End Class"
ended = ""
EndsAfterColon
EndsDirectly
Test.Same ended & EndsInFunction() & (New EndsInClass).P, "abcd", "a statement followed by End Sub, Function, Property"
Test.Same Join(Array(Test.Run("Sub A() End Sub"), Test.Run("Sub A : If 1 Then x = 1 End Sub"), _
    Test.Run("x = 1 End Sub"), Test.Run("Sub A" & nl & "If 1 Then" & nl & "x = 1 End Sub" & nl & "End Sub"))), _
    "1025 1025 1025 1012", "an empty procedure on one line, a one-line If, no procedure, End Sub in an open If"
