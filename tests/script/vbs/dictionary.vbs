' Scripting.Dictionary: the whole interface, key identity as Windows has it, insertion order and
' the error numbers. The first checks are the reference's own examples.
Option Explicit
Dim d, a, s, i, k, o1, o2

Set d = CreateObject("Scripting.Dictionary")
Test.Equal TypeName(d), "Dictionary", "TypeName"
d.Add "a", "Athens"
d.Add "b", "Belgrade"
d.Add "c", "Cairo"
a = d.Keys
s = ""
For i = 0 To d.Count - 1
    s = s & a(i) & "<BR>"
Next
Test.Equal s, "a<BR>b<BR>c<BR>", "Keys example"
a = d.Items
Test.Equal Join(a, ","), "Athens,Belgrade,Cairo", "Items example"
Test.Same d.Exists("c"), True, "Exists example"
Test.Same d.Exists("C"), False, "binary compare by default"
d.Key("c") = "d"
Test.Equal d.Item("d"), "Cairo", "Key example"
Test.Same d.Exists("c"), False, "the old key is gone"
Test.Equal Join(d.Keys, ","), "a,b,d", "a renamed key keeps its place"
d.Remove "b"
Test.Equal Join(d.Keys, ","), "a,d", "Remove example"
d.RemoveAll
Test.Same d.Count, CLng(0), "RemoveAll; Count is a Long"
Test.Equal UBound(d.Keys), -1, "Keys of an empty dictionary is an empty array"
Test.Equal VarType(d.Items), 8204, "Items is an array of Variants"

' ---- Item: the default member, reading adds, writing adds or replaces ----
d("x") = 1
d.Item("x") = 2
Test.Same d("x"), 2, "replaced"
Test.Same IsEmpty(d("missing")), True, "reading a missing key answers Empty"
Test.Same d.Exists("missing"), True, "and adds it"
Test.Equal d.Count, 2, "two keys now"
Set d("obj") = d
Test.Same d("obj") Is d, True, "an object as an item"
s = ""
For Each k In d
    s = s & k & ";"
Next
Test.Equal s, "x;missing;obj;", "For Each runs over the keys in order"

' ---- Key identity ----
d.RemoveAll
d.Add 1, "one"
Test.Same d.Exists("1"), False, "1 and ""1"" are two keys"
Test.Same d.Exists(1.0), True, "1 and 1.0 are one key"
Test.Same d.Exists(CDbl(1)), True, "whatever the numeric subtype"
Test.Equal d(CInt(1)), "one", "Integer finds the Long's item"
d.Add "1", "text one"
Test.Equal d.Count, 2, "the text key is added beside the number"
d.Add 1.5, "half"
Test.Equal d(3 / 2), "half", "a fraction"
d.Add Empty, "empty"
d.Add Null, "null"
Test.Equal d(Empty), "empty", "Empty is a key"
Test.Equal d(Null), "null", "Null is a key"
Test.Same d.Exists(""), False, "Empty and the empty text differ"
d.Add True, "true"
Test.Same d.Exists(-1), False, "True is not the number -1"
Set o1 = CreateObject("Scripting.Dictionary")
Set o2 = CreateObject("Scripting.Dictionary")
d.Add o1, "first object"
Test.Same d.Exists(o1), True, "an object key"
Test.Same d.Exists(o2), False, "another object of the same kind is another key"
d.Add o2, "second object"
Test.Equal d(o2), "second object", "by identity"
a = d.Keys
Test.Same a(0), 1, "the key keeps its subtype (a Long here)"
Test.Same a(2), 1.5, "a Double"
Test.Same a(6) Is o1, True, "an object key comes back as itself"

' ---- CompareMode ----
Set d = CreateObject("Scripting.Dictionary")
Test.Same d.CompareMode, CLng(0), "binary by default"
d.CompareMode = 1
Test.Same d.CompareMode, CLng(1), "text"
d.Add "Key", 1
Test.Same d.Exists("KEY"), True, "text compare ignores case"
Test.Equal Join(d.Keys, ","), "Key", "and keeps the key as added"
d("kEy") = 2
Test.Equal d.Count, 1, "the same key in other letters"
Test.Equal d("key"), 2, "replaced"
On Error Resume Next
d.CompareMode = 0
Test.Equal Err.Number, 5, "CompareMode cannot change while there are keys"
Err.Clear
d.Add "KEY", 3
Test.Equal Err.Number, 457, "Add of a taken key"
Test.Equal Err.Description, "This key is already associated with an element of this collection", "its text"
Err.Clear
d.Remove "nothing"
Test.Equal Err.Number, 32811, "Remove of a missing key"
Test.Equal Err.Description, "Element not found", "its text"
Err.Clear
d.Key("nothing") = "y"
Test.Equal Err.Number, 32811, "Key of a missing key"
Err.Clear
d.Add "other", 4
d.Key("other") = "KEY"
Test.Equal Err.Number, 457, "renaming onto a taken key"
Err.Clear
d.Add Array(1), 5
Test.Equal Err.Number, 13, "an array is no key"
Err.Clear
d.Add "only"
Test.Equal Err.Number, 450, "Add without its item"
Err.Clear
s = d.Nothing
Test.Equal Err.Number, 438, "unknown member"
Err.Clear
On Error GoTo 0
d.RemoveAll
d.CompareMode = 0
Test.Same d.CompareMode, CLng(0), "changes once empty"

' ---- Many keys, removal and order ----
Set d = CreateObject("Scripting.Dictionary")
For i = 1 To 1000
    d.Add "k" & i, i
Next
For i = 1 To 1000
    If i Mod 3 <> 0 Then d.Remove "k" & i
Next
Test.Equal d.Count, 333, "what is left"
a = d.Items
Test.Equal a(0) & "," & a(1) & "," & a(332), "3,6,999", "in the order added"
d.Add "k1", "back"
a = d.Keys
Test.Equal a(333), "k1", "a key added again goes to the end"
Test.Same d.Exists("k2"), False, "removed keys stay removed"
Test.Equal d("k999"), 999, "kept keys keep their items"

' ---- HashVal ----
' A Long from 0 to 1200, alike for keys the dictionary holds as one; the numbers are our own.
Dim seen, h, outside
Set d = CreateObject("Scripting.Dictionary")
Set seen = CreateObject("Scripting.Dictionary")
outside = ""
For i = 1 To 300
    h = d.HashVal("key" & i)
    If VarType(h) <> vbLong Or h < 0 Or h > 1200 Then outside = outside & " " & h
    seen(h) = True
Next
For Each a In Array(-1, 0, 2.5, 1E+300, True, Empty, Null, o1, Nothing, "")
    h = d.HashVal(a)
    If VarType(h) <> vbLong Or h < 0 Or h > 1200 Then outside = outside & " " & h
Next
Test.Same outside, "", "every value a Long in 0 to 1200"
Test.Check seen.Count > 200, "300 keys spread over many values: " & seen.Count
Test.Same Join(Array(d.HashVal(1.0), d.HashVal(CByte(1)), d.HashVal(CCur(1)), d.HashVal(CDbl(-0))), ","), _
    Join(Array(d.HashVal(1), d.HashVal(1), d.HashVal(1), d.HashVal(0)), ","), "numbers of one value hash alike"
Test.Check d.HashVal("ABC") <> d.HashVal("abc"), "binary mode tells letter case apart"
d.CompareMode = vbTextCompare
Test.Same d.HashVal("ABC"), d.HashVal("abc"), "text mode folds letter case"
On Error Resume Next
h = d.HashVal(Array(1))
Test.Equal Err.Number, 13, "an array is no key"
Err.Clear
h = d.HashVal()
Test.Equal Err.Number, 450, "HashVal needs its key"
On Error GoTo 0
