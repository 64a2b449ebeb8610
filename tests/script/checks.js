// The page-script tests' checks, read by each test script with eval. Each check prints "ok:" or
// "FAILED:"; summary() prints the line scripts/run-script reads ("N passed, M failed"). Wine's
// script host reports no script error, so step() turns an exception into a failed check.
var passed = 0, failed = 0;
function check(name, ok, detail) {
    if (ok) { passed++; WScript.Echo("ok: " + name); }
    else { failed++; WScript.Echo("FAILED: " + name + (detail ? " (" + detail + ")" : "")); }
}
function step(name, fn) {
    try { fn(); } catch (e) { check(name, false, "exception " + (e.number >>> 0).toString(16) + " " + e.message); }
}
function summary() { WScript.Echo(passed + " passed, " + failed + " failed"); }
