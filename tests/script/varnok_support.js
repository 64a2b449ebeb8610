// Shared by the page-library scripts (evaluated by them before web/varnok.js and demo/page.js):
// checks, and a stand-in for the little of a page's document that demo/page.js uses.
var passed = 0, failed = 0;
function check(name, ok, detail) {
    if (ok) { passed++; WScript.Echo("ok: " + name); }
    else { failed++; WScript.Echo("FAILED: " + name + (detail !== undefined ? " (" + detail + ")" : "")); }
}
function step(name, fn) {
    try { fn(); } catch (e) { check(name, false, "exception " + (e.number >>> 0).toString(16) + " " + e.message); }
}
function show(v) {
    return v === null ? "null" : v === undefined ? "undefined" : "[" + String(v).replace(/\r/g, "\\r").replace(/\n/g, "\\n") + "]";
}

// Elements by id, each made on first use with innerHTML, disabled and onclick; `extra` names
// elements of the test's own (a stand-in object tag).
function FakeDocument(extra) {
    var elements = {};
    this.getElementById = function (id) {
        if (extra && extra.hasOwnProperty(id)) return extra[id];
        if (!elements.hasOwnProperty(id)) elements[id] = { id: id, innerHTML: "", disabled: false, onclick: null };
        return elements[id];
    };
}

function unescapeHtml(text) {
    return text.replace(/&lt;/g, "<").replace(/&gt;/g, ">").replace(/&quot;/g, "\"").replace(/&amp;/g, "&");
}
// The rows of the page's facts table: fact name -> { source, value (null without one) }.
function pageRows(html) {
    var rows = {}, re = /<tr class="[^"]*" data-fact="([^"]*)" data-source="([^"]*)"( data-value="([^"]*)")?>/g, m;
    while ((m = re.exec(html)) !== null) {
        rows[m[1]] = { source: m[2], value: m[3] ? unescapeHtml(m[4]) : null };
    }
    return rows;
}
function countRows(rows) {
    var n = 0;
    for (var k in rows) if (rows.hasOwnProperty(k)) n++;
    return n;
}
