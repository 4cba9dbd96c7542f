' Inputs that once crashed the interpreter or the host, kept so they never do again.
Dim nl
nl = vbCrLf

' A global array too large to allocate failed outside the host's error handling.
Test.Equal Test.Run("Dim a(3000000, 3000)"), 7, "huge global array"
