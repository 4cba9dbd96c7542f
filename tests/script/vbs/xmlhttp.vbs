' The HTTP objects against the fixture's loopback server.
Option Explicit
Dim http, progId, last, started

For Each progId In Array("MSXML2.XMLHTTP", "MSXML2.ServerXMLHTTP", "WinHttp.WinHttpRequest.5.1")
    Set http = CreateObject(progId)
    Test.Equal http.readyState, 0, progId & " before open"
    http.open "POST", Fixture.Url("/echo"), False
    Test.Equal http.readyState, 1, progId & " opened"
    http.setRequestHeader "X-Custom", "value 1"
    http.setRequestHeader "Content-Type", "application/json"
    http.send "{""a"":""é""}"
    Test.Same http.status, CLng(200), progId & " status"
    Test.Equal http.statusText, "OK", progId & " status text"
    Test.Equal http.responseText, "POST {""a"":""é""}", progId & " body, byte for byte"
    Test.Equal http.readyState, 4, progId & " done"
    Test.Equal http.getResponseHeader("content-type"), "text/plain", progId & " header in any case"
    last = Fixture.RequestCount - 1
    Test.Equal Fixture.Request(last, "X-Custom"), "value 1", progId & " request header"
    Test.Equal Fixture.Request(last, "Content-Type"), "application/json", progId & " content type"
Next

' A body without a content type goes as text; GET sends none.
Set http = CreateObject("MSXML2.XMLHTTP")
http.open "POST", Fixture.Url("/echo"), False
http.send "x=1"
Test.Equal Fixture.Request(Fixture.RequestCount - 1, "Content-Type"), "text/plain; charset=UTF-8", "default type"
http.open "GET", Fixture.Url("/echo"), False
http.send
Test.Equal http.responseText, "GET ", "GET without a body"
Test.Equal Fixture.Request(Fixture.RequestCount - 1, "method"), "GET", "method"

' An HTTP error status is an answer, not a failure; redirects are followed.
http.open "GET", Fixture.Url("/status/404"), False
http.send
Test.Same http.status, CLng(404), "404 is a status"
Test.Equal http.responseText, "status page", "with its page"
http.open "GET", Fixture.Url("/status/400"), False
http.send
Test.Same http.status, CLng(400), "400 is a status"
http.open "GET", Fixture.Url("/redirect"), False
http.send
Test.Equal http.responseText, "GET ", "the redirect was followed"
http.open "GET", Fixture.Url("/headers"), False
http.send
Test.Equal http.getResponseHeader("X-Test"), "one, two", "repeated headers joined"
Test.Equal http.getResponseHeader("X-Missing"), "", "a missing header"
Test.Check InStr(http.getAllResponseHeaders, "X-Test: one, two" & vbCrLf) > 0, "all headers"

' ---- Failures raise WinHTTP's numbers ----
On Error Resume Next
Set http = CreateObject("WinHttp.WinHttpRequest.5.1")
Test.Equal http.status, Empty, "(no value)"
Test.Equal Err.Number, -2147483638, "status before send"
Err.Clear
http.send
Test.Equal Err.Number, -2147012877, "send before open"
Err.Clear
http.open "GET", "http://127.0.0.1:1/", False
http.send
Test.Equal Err.Number, -2147012867, "nobody listening"
Test.Equal Err.Description, "A connection with the server could not be established", "its text"
Err.Clear
http.open "GET", "ftp://127.0.0.1/file", False
http.send
Test.Equal Err.Number, -2147012890, "not http"
Err.Clear
http.open "GET", "http://", False
http.send
Test.Equal Err.Number, -2147012891, "no host"
Err.Clear
http.open "GET", "http://name.invalid/", False
http.send
Test.Equal Err.Number, -2147012889, "unknown host"
Err.Clear
http.setTimeouts 0, 300, 300, 300
http.open "GET", Fixture.SilentUrl, False
started = Timer
http.send
Test.Equal Err.Number, -2147012894, "a server that never answers"
Test.Equal Err.Description, "The operation timed out", "its text"
Test.Check Timer - started < 3, "within the timeout"
Err.Clear
On Error GoTo 0
