' VBScript.RegExp: properties, Test, Execute with its collections, Replace, and the errors of bad
' patterns. Several checks are the reference's own examples.
Option Explicit
Dim re, matches, m, s, i, text

Set re = CreateObject("VBScript.RegExp")
Test.Equal TypeName(re), "IRegExp2", "TypeName"
Test.Same re.Pattern, "", "Pattern starts empty"
Test.Same re.IgnoreCase, False, "IgnoreCase starts False"
Test.Same re.Global, False, "Global starts False"
Test.Same re.Multiline, False, "Multiline starts False"

' ---- The reference's examples ----
re.Pattern = "is."
re.IgnoreCase = True
re.Global = True
Set matches = re.Execute("IS1 is2 IS3 is4")
s = ""
For Each m In matches
    s = s & "Match found at position " & m.FirstIndex & ". Match Value is '" & m.Value & "'." & vbCrLf
Next
Test.Equal s, "Match found at position 0. Match Value is 'IS1'." & vbCrLf & _
    "Match found at position 4. Match Value is 'is2'." & vbCrLf & _
    "Match found at position 8. Match Value is 'IS3'." & vbCrLf & _
    "Match found at position 12. Match Value is 'is4'." & vbCrLf, "Execute example"
re.IgnoreCase = False
Test.Same re.Test("IS1 is2 IS3 is4"), True, "Test example"
Test.Same re.Test("IS1 IS3"), False, "case matters again"

Function ReplaceTest(patrn, replStr)
    Dim regEx
    Set regEx = CreateObject("VBScript.RegExp")
    regEx.Pattern = patrn
    regEx.IgnoreCase = True
    ReplaceTest = regEx.Replace("The quick brown fox jumped over the lazy dog.", replStr)
End Function
Test.Equal ReplaceTest("fox", "cat"), "The quick brown cat jumped over the lazy dog.", "Replace example"
Test.Equal ReplaceTest("(\S+)(\s+)(\S+)", "$3$2$1"), "quick The brown fox jumped over the lazy dog.", "swap the first pair of words"
Test.Equal ReplaceTest("THE", "a"), "a quick brown fox jumped over the lazy dog.", "only the first without Global"

re.Pattern = "(\w+)@(\w+)\.(\w+)"
Set matches = re.Execute("Please send mail to dragon@xyzzy.com. Thanks!")
Set m = matches(0)
Test.Equal "Email address is: " & m, "Email address is: dragon@xyzzy.com", "Value is the default member"
Test.Equal m.SubMatches(0), "dragon", "SubMatches example: alias"
Test.Equal m.SubMatches(1), "xyzzy", "organization"
Test.Equal m.SubMatches.Item(2), "com", "Item by name"

' ---- Collections: types, counts, VarTypes ----
re.Pattern = "(a)|(b)"
re.Global = True
Set matches = re.Execute("xaby")
Test.Equal TypeName(matches), "IMatchCollection2", "Matches TypeName"
Test.Same matches.Count, CLng(2), "Count is a Long"
Set m = matches.Item(1)
Test.Equal TypeName(m), "IMatch2", "Match TypeName"
Test.Equal TypeName(m.SubMatches), "ISubMatches", "SubMatches TypeName"
Test.Same m.FirstIndex, CLng(2), "FirstIndex is 0-based and a Long"
Test.Same m.Length, CLng(1), "Length is a Long"
Test.Same m.Value, "b", "Value"
Test.Same m.SubMatches.Count, CLng(2), "one SubMatch per group"
Test.Same IsEmpty(m.SubMatches(0)), True, "a group that took no part is Empty"
Test.Same m.SubMatches(1), "b", "the group that did"
s = ""
For Each i In m.SubMatches
    s = s & "[" & VarType(i) & ":" & i & "]"
Next
Test.Equal s, "[0:][8:b]", "For Each over SubMatches"
re.Global = False
Test.Same re.Execute("xaby").Count, CLng(1), "without Global one match"
Test.Same re.Execute("xyz").Count, CLng(0), "no match: an empty collection"
s = 0
For Each m In re.Execute("xyz")
    s = s + 1
Next
Test.Equal s, 0, "For Each over an empty collection"

' For Each hands out each match as it reaches it: the loop must still visit the matches the
' collection had, whatever the body does, and every pass gets a Match of its own.
Dim first, previous, fresh
re.Pattern = "(\d)"
re.Global = True
Set matches = re.Execute("a1b2c3")
s = ""
For Each m In matches
    If IsEmpty(first) Then Set first = m
    If IsObject(previous) Then fresh = fresh + (m Is previous)
    Set previous = m
    s = s & M.VALUE & m.submatches(0) & m.FirstINDEX & ";"
    re.Pattern = "x"
    Set matches = Nothing
Next
Test.Equal s, "111;223;335;", "every match visited, in order, whatever the body changes"
Test.Same fresh, 0, "a new Match on every pass"
Test.Equal first.Value & first.FirstIndex, "11", "a kept Match keeps its values"
re.Pattern = "(\d)"
Set matches = re.Execute("a1b2c3")
s = ""
For Each m In matches
    s = s & m
    If m = "2" Then Exit For
Next
For Each m In matches
    s = s & m
Next
Test.Equal s, "12123", "a second loop starts again from the first match"
re.Pattern = "(a)|(b)"
re.Global = False

On Error Resume Next
Set matches = re.Execute("ab")
Set m = matches(1)
Test.Equal Err.Number, 5, "Matches index past the end"
Err.Clear
Set m = matches(-1)
Test.Equal Err.Number, 5, "negative Matches index"
Err.Clear
s = matches(0).SubMatches(2)
Test.Equal Err.Number, 5, "SubMatches index past the end"
Err.Clear
s = re.Nothing
Test.Equal Err.Number, 438, "unknown member"
Err.Clear
s = re.Test()
Test.Equal Err.Number, 450, "Test without its argument"
Err.Clear
On Error GoTo 0

' ---- Options ----
re.Pattern = "^\w+$"
re.Global = True
text = "one" & vbCrLf & "two" & vbLf & "three"
Test.Equal re.Execute(text).Count, 0, "without Multiline ^ and $ hold at the ends only"
re.Multiline = True
Set matches = re.Execute(text)
Test.Equal matches.Count, 3, "Multiline: at every line"
Test.Equal matches(1).Value & matches(1).FirstIndex, "two5", "the second line"
re.Multiline = False
re.Pattern = "[A-C]"
re.IgnoreCase = True
Test.Equal re.Replace("abcd ABCD", "-"), "---d ---D", "IgnoreCase over a class"
re.IgnoreCase = False
Test.Equal re.Replace("abcd ABCD", "-"), "abcd ---D", "switched back off"
re.Pattern = "a.c"
Test.Same re.Test("a" & vbLf & "c"), False, "dot does not match LF"
Test.Same re.Test("a" & vbCr & "c"), True, "but does match CR"
' RegExp objects with the same pattern share its compiled form only under the same options.
Dim caseless, lines
Set caseless = New RegExp
caseless.Pattern = "^b$"
caseless.IgnoreCase = True
Set lines = New RegExp
lines.Pattern = "^b$"
lines.Multiline = True
re.Pattern = "^b$"
s = ""
For i = 1 To 2
    s = s & re.Test("B") & caseless.Test("B") & lines.Test("a" & vbLf & "b") & re.Test("a" & vbLf & "b") & ";"
Next
Test.Equal s, "FalseTrueTrueFalse;FalseTrueTrueFalse;", "each with its own options, again and again"

' ---- Replace ----
re.Pattern = "(\d)(\d)?"
re.Global = True
Test.Equal re.Replace("a12b3c", "<$2$1>"), "a<21>b<3>c", "groups; one that took no part is empty"
Test.Equal re.Replace("a12b3c", "[$&|$`|$']"), "a[12|a|b3c]b[3|a12b|c]c", "match, before, after"
Test.Equal re.Replace("a1", "$$1 $0 $3 $"), "a$1 $0 $3 $", "$$, and what is not a group stays"
re.Pattern = "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)"
Test.Equal re.Replace("abcdefghijk", "$11-$10-$12"), "k-j-a2", "two digits when that group exists"
re.Pattern = "x*"
Test.Equal re.Replace("abc", "-"), "-a-b-c-", "empty matches step on one character"
Set matches = re.Execute("axx")
s = ""
For Each m In matches
    s = s & m.FirstIndex & ":" & m.Length & " "
Next
Test.Equal s, "0:0 1:2 3:0 ", "an empty match after a match at the end"
re.Pattern = ""
Test.Equal re.Execute("ab").Count, 3, "an empty pattern matches between all characters"
Test.Same re.Test(""), True, "and in the empty text"

' ---- Bad patterns: raised when used, not when set ----
Dim bad
bad = Array("a**", 5018, "Unexpected quantifier", _
    "[ab", 5019, "Expected ']' in regular expression", _
    "(ab", 5020, "Expected ')' in regular expression", _
    "[z-a]", 5021, "Invalid range in character set", _
    "a)", 5017, "Syntax error in regular expression", _
    "(?<n>a)", 5017, "Syntax error in regular expression")
On Error Resume Next
For i = 0 To UBound(bad) Step 3
    re.Pattern = bad(i)
    Test.Equal Err.Number, 0, "setting " & bad(i)
    s = re.Test("ab")
    Test.Equal Err.Number, bad(i + 1), "testing " & bad(i)
    Test.Equal Err.Description, bad(i + 2), "its text"
    Err.Clear
    Set matches = re.Execute("ab")
    Test.Equal Err.Number, bad(i + 1), "Execute with " & bad(i)
    Err.Clear
    s = re.Replace("ab", "x")
    Test.Equal Err.Number, bad(i + 1), "Replace with " & bad(i)
    Err.Clear
Next
On Error GoTo 0
re.Pattern = "b"
Test.Same re.Test("ab"), True, "a good pattern after a bad one"

' ---- The matches outlive the text and the object ----
text = "k=v; x=y"
re.Pattern = "(\w)=(\w)"
Set matches = re.Execute(text)
text = ""
Set re = Nothing
Test.Equal matches(1).SubMatches(0) & matches(1).SubMatches(1), "xy", "kept their own copy"

' The collection Execute gives, indexed in the same expression.
Set re = New RegExp
re.Pattern = "b."
re.Global = True
Test.Equal re.Execute("ab1 b2")(1).Value, "b2", "Execute(x)(i) reaches the default member Item"
Test.Equal re.Execute("ab1 b2")(1).SubMatches.Count, 0, "and members after it"
Test.Equal "" & re.Execute("ab1 b2")(0), "b1", "and its match reads as its Value"
