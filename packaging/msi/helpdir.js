// Immediate custom action: TYPELIB_HELPDIR is the installation folder without its final
// backslash, the form the system gives a type library's HELPDIR.
function SetTypeLibHelpDir() {
    Session.Property("TYPELIB_HELPDIR") = Session.Property("INSTALLDIR").replace(/\\+$/, "");
    return 1;  // msiDoActionStatusSuccess
}
