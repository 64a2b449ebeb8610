#include "framework/rules/registry_script.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

using fw::rgs::Flag;
using fw::rgs::Key;
using fw::rgs::Parse;
using fw::rgs::ParseResult;
using fw::rgs::Root;
using fw::rgs::Substitutions;
using fw::rgs::Value;
using fw::rgs::ValueType;

namespace {

const wchar_t kAppIdScript[] = LR"(HKCR
{
	NoRemove AppID
	{
		'%APPID%' = s 'VarnokLauncher'
		{
			val DllSurrogate = s ''
		}
		'VarnokLauncher.DLL'
		{
			val AppID = s '%APPID%'
		}
	}
}
)";

const wchar_t kClassScript[] = LR"(HKCR
{
	QuellisLauncher.QuellisLauncherVistaPlay.1 = s 'VarnokLauncher ActiveX Control'
	{
		CLSID = s '{C6CF25F3-3B01-4C78-91E0-B8CAB886A687}'
	}
	NoRemove CLSID
	{
		ForceRemove {C6CF25F3-3B01-4C78-91E0-B8CAB886A687} = s 'VarnokLauncher ActiveX Control'
		{
			ProgID = s 'QuellisLauncher.QuellisLauncherVistaPlay.1'
			ForceRemove 'Programmable'
			InprocServer32 = s '%MODULE%'
			{
				val ThreadingModel = s 'Apartment'
			}
			val AppID = s '%APPID%'
			Elevation
			{
				val Enabled = d '1'
			}
			val LocalizedString = s '@%MODULE%,-101'
			ForceRemove 'Control'
			ForceRemove 'ToolboxBitmap32' = s '%MODULE%, 103'
			'MiscStatus' = s '0'
			{
				'1' = s '%OLEMISC%'
			}
			'TypeLib' = s '{072FD9E2-A94E-424E-9977-911C491B1803}'
			'Version' = s '1.0'
		}
	}
}
)";

const wchar_t kAppId[] = L"{0B2D4E6F-1A3C-4B5D-8E7F-90A1B2C3D4E5}";
const wchar_t kClsid[] = L"{C6CF25F3-3B01-4C78-91E0-B8CAB886A687}";

Substitutions LauncherSubstitutions(const std::wstring& module = L"C:\\Games\\VarnokLauncher.dll") {
    return {{L"MODULE", module}, {L"APPID", kAppId}, {L"OLEMISC", L"131473"}};
}

// Parses and expects success; the error text is shown when it fails.
fw::rgs::Script ParseOk(const std::wstring& text, const Substitutions& subs = {}) {
    const ParseResult r = Parse(text, subs);
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_TRUE(r.error.empty());
    return r.script;
}

// Parses and expects a failure that names the line and contains `what`.
void ExpectError(const std::wstring& text, const std::string& what,
                 const Substitutions& subs = {}) {
    const ParseResult r = Parse(text, subs);
    EXPECT_FALSE(r.ok) << "parsed unexpectedly";
    EXPECT_NE(r.error.find(what), std::string::npos) << "error was: " << r.error;
    EXPECT_EQ(r.error.rfind("line ", 0), 0u) << "error was: " << r.error;
    EXPECT_TRUE(r.script.keys.empty()) << "a failed parse hands back no keys";
}

void ExpectString(const Value& v, const std::wstring& name, const std::wstring& text) {
    EXPECT_EQ(v.name, name);
    EXPECT_EQ(v.type, ValueType::String);
    EXPECT_EQ(v.text, text);
}

void ExpectPlainKey(const Key& k, Flag flag, const std::wstring& name) {
    EXPECT_EQ(k.flag, flag);
    EXPECT_EQ(k.name, name);
    EXPECT_FALSE(k.defaultValue);
    EXPECT_TRUE(k.values.empty());
    EXPECT_TRUE(k.keys.empty());
}

}  // namespace

TEST(RegistryScript, AppIdScriptGivesEveryKeyAndValue) {
    const auto script = ParseOk(kAppIdScript, LauncherSubstitutions());
    EXPECT_EQ(script.root, Root::ClassesRoot);
    ASSERT_EQ(script.keys.size(), 1u);
    const Key& appIdRoot = script.keys[0];
    EXPECT_EQ(appIdRoot.flag, Flag::NoRemove);
    EXPECT_EQ(appIdRoot.name, L"AppID");
    EXPECT_FALSE(appIdRoot.defaultValue);
    EXPECT_TRUE(appIdRoot.values.empty());
    ASSERT_EQ(appIdRoot.keys.size(), 2u);

    const Key& app = appIdRoot.keys[0];
    EXPECT_EQ(app.flag, Flag::None);
    EXPECT_EQ(app.name, kAppId);
    ASSERT_TRUE(app.defaultValue);
    ExpectString(*app.defaultValue, L"", L"VarnokLauncher");
    ASSERT_EQ(app.values.size(), 1u);
    ExpectString(app.values[0], L"DllSurrogate", L"");
    EXPECT_TRUE(app.keys.empty());

    const Key& dll = appIdRoot.keys[1];
    EXPECT_EQ(dll.flag, Flag::None);
    EXPECT_EQ(dll.name, L"VarnokLauncher.DLL");
    EXPECT_FALSE(dll.defaultValue);
    ASSERT_EQ(dll.values.size(), 1u);
    ExpectString(dll.values[0], L"AppID", kAppId);
    EXPECT_TRUE(dll.keys.empty());
}

TEST(RegistryScript, ClassScriptGivesEveryKeyFlagAndValue) {
    const std::wstring module = L"C:\\Games\\VarnokLauncher.dll";
    const auto script = ParseOk(kClassScript, LauncherSubstitutions(module));
    EXPECT_EQ(script.root, Root::ClassesRoot);
    ASSERT_EQ(script.keys.size(), 2u);

    const Key& progId = script.keys[0];
    EXPECT_EQ(progId.flag, Flag::None);
    EXPECT_EQ(progId.name, L"QuellisLauncher.QuellisLauncherVistaPlay.1");
    ASSERT_TRUE(progId.defaultValue);
    ExpectString(*progId.defaultValue, L"", L"VarnokLauncher ActiveX Control");
    EXPECT_TRUE(progId.values.empty());
    ASSERT_EQ(progId.keys.size(), 1u);
    EXPECT_EQ(progId.keys[0].name, L"CLSID");
    EXPECT_EQ(progId.keys[0].flag, Flag::None);
    ASSERT_TRUE(progId.keys[0].defaultValue);
    ExpectString(*progId.keys[0].defaultValue, L"", kClsid);
    EXPECT_TRUE(progId.keys[0].keys.empty());

    const Key& clsidRoot = script.keys[1];
    EXPECT_EQ(clsidRoot.flag, Flag::NoRemove);
    EXPECT_EQ(clsidRoot.name, L"CLSID");
    EXPECT_FALSE(clsidRoot.defaultValue);
    ASSERT_EQ(clsidRoot.keys.size(), 1u);

    const Key& cls = clsidRoot.keys[0];
    EXPECT_EQ(cls.flag, Flag::ForceRemove);
    EXPECT_EQ(cls.name, kClsid);
    ASSERT_TRUE(cls.defaultValue);
    ExpectString(*cls.defaultValue, L"", L"VarnokLauncher ActiveX Control");
    // Values keep their order, whatever keys stand between them.
    ASSERT_EQ(cls.values.size(), 2u);
    ExpectString(cls.values[0], L"AppID", kAppId);
    ExpectString(cls.values[1], L"LocalizedString", L"@" + module + L",-101");

    ASSERT_EQ(cls.keys.size(), 9u);
    EXPECT_EQ(cls.keys[0].name, L"ProgID");
    EXPECT_EQ(cls.keys[0].flag, Flag::None);
    ASSERT_TRUE(cls.keys[0].defaultValue);
    ExpectString(*cls.keys[0].defaultValue, L"", L"QuellisLauncher.QuellisLauncherVistaPlay.1");

    ExpectPlainKey(cls.keys[1], Flag::ForceRemove, L"Programmable");

    const Key& inproc = cls.keys[2];
    EXPECT_EQ(inproc.name, L"InprocServer32");
    EXPECT_EQ(inproc.flag, Flag::None);
    ASSERT_TRUE(inproc.defaultValue);
    ExpectString(*inproc.defaultValue, L"", module);
    ASSERT_EQ(inproc.values.size(), 1u);
    ExpectString(inproc.values[0], L"ThreadingModel", L"Apartment");

    const Key& elevation = cls.keys[3];
    EXPECT_EQ(elevation.name, L"Elevation");
    EXPECT_EQ(elevation.flag, Flag::None);
    EXPECT_FALSE(elevation.defaultValue);
    ASSERT_EQ(elevation.values.size(), 1u);
    EXPECT_EQ(elevation.values[0].name, L"Enabled");
    EXPECT_EQ(elevation.values[0].type, ValueType::Dword);
    EXPECT_EQ(elevation.values[0].dword, 1u);

    ExpectPlainKey(cls.keys[4], Flag::ForceRemove, L"Control");

    EXPECT_EQ(cls.keys[5].name, L"ToolboxBitmap32");
    EXPECT_EQ(cls.keys[5].flag, Flag::ForceRemove);
    ASSERT_TRUE(cls.keys[5].defaultValue);
    ExpectString(*cls.keys[5].defaultValue, L"", module + L", 103");

    const Key& misc = cls.keys[6];
    EXPECT_EQ(misc.name, L"MiscStatus");
    EXPECT_EQ(misc.flag, Flag::None);
    ASSERT_TRUE(misc.defaultValue);
    ExpectString(*misc.defaultValue, L"", L"0");
    ASSERT_EQ(misc.keys.size(), 1u);
    EXPECT_EQ(misc.keys[0].name, L"1");
    ASSERT_TRUE(misc.keys[0].defaultValue);
    ExpectString(*misc.keys[0].defaultValue, L"", L"131473");

    EXPECT_EQ(cls.keys[7].name, L"TypeLib");
    ASSERT_TRUE(cls.keys[7].defaultValue);
    ExpectString(*cls.keys[7].defaultValue, L"", L"{072FD9E2-A94E-424E-9977-911C491B1803}");
    EXPECT_EQ(cls.keys[8].name, L"Version");
    ASSERT_TRUE(cls.keys[8].defaultValue);
    ExpectString(*cls.keys[8].defaultValue, L"", L"1.0");
    for (std::size_t i : {7u, 8u}) {
        EXPECT_EQ(cls.keys[i].flag, Flag::None);
        EXPECT_TRUE(cls.keys[i].keys.empty());
    }
}

TEST(RegistryScript, RootsAndKeywordsIgnoreCase) {
    const struct {
        const wchar_t* name;
        Root root;
    } roots[] = {{L"HKCR", Root::ClassesRoot},  {L"hkey_classes_root", Root::ClassesRoot},
                 {L"HKCU", Root::CurrentUser},  {L"HKEY_CURRENT_USER", Root::CurrentUser},
                 {L"hklm", Root::LocalMachine}, {L"HKEY_LOCAL_MACHINE", Root::LocalMachine}};
    for (const auto& r : roots) {
        const auto script = ParseOk(std::wstring(r.name) + L" { A }");
        EXPECT_EQ(script.root, r.root) << std::string(r.name, r.name + wcslen(r.name));
        ASSERT_EQ(script.keys.size(), 1u);
    }

    const auto script =
        ParseOk(L"HKCU { noremove A { VAL x = S 'y' } FORCEREMOVE B = D '2' delete C }");
    ASSERT_EQ(script.keys.size(), 3u);
    EXPECT_EQ(script.keys[0].flag, Flag::NoRemove);
    ExpectString(script.keys[0].values.at(0), L"x", L"y");
    EXPECT_EQ(script.keys[1].flag, Flag::ForceRemove);
    EXPECT_EQ(script.keys[1].defaultValue->type, ValueType::Dword);
    EXPECT_EQ(script.keys[1].defaultValue->dword, 2u);
    ExpectPlainKey(script.keys[2], Flag::Delete, L"C");
}

TEST(RegistryScript, WhitespaceAndLineBreaksAreFree) {
    const auto compact = ParseOk(L"HKCU{A=s'1'{val v=d'0x10'}B{}}");
    const auto spread = ParseOk(
        L"\xFEFF\r\n  HKCU\r\n{\r\n\tA\r\n\t=\r\n s\r\n '1'\r\n {\r\n val\r\n v\r\n"
        L" =\r\n d\r\n '0x10'\r\n }\r\n B\r\n {\r\n }\r\n}\r\n\r\n");
    for (const auto* script : {&compact, &spread}) {
        ASSERT_EQ(script->keys.size(), 2u);
        EXPECT_EQ(script->keys[0].name, L"A");
        ASSERT_TRUE(script->keys[0].defaultValue);
        ExpectString(*script->keys[0].defaultValue, L"", L"1");
        ASSERT_EQ(script->keys[0].values.size(), 1u);
        EXPECT_EQ(script->keys[0].values[0].dword, 16u);
        ExpectPlainKey(script->keys[1], Flag::None, L"B");
    }
    // A flag and its key may stand on different lines.
    const auto split = ParseOk(L"HKCU {\n NoRemove\n  A\n}");
    ASSERT_EQ(split.keys.size(), 1u);
    EXPECT_EQ(split.keys[0].flag, Flag::NoRemove);
}

TEST(RegistryScript, QuotedTextAndNames) {
    const auto script = ParseOk(
        L"HKCU { 'It''s a key' = s 'say ''hi''' { val 'two words' = s '''' }\n"
        L"'{not a guid}'\n'x y' = s 'with {braces} = and %% sign'\n'NoRemove'\n'val' }");
    ASSERT_EQ(script.keys.size(), 5u);
    EXPECT_EQ(script.keys[0].name, L"It's a key");
    ExpectString(*script.keys[0].defaultValue, L"", L"say 'hi'");
    ExpectString(script.keys[0].values.at(0), L"two words", L"'");
    // Quoted names are names, even when they spell a keyword.
    ExpectPlainKey(script.keys[3], Flag::None, L"NoRemove");
    ExpectPlainKey(script.keys[4], Flag::None, L"val");
    EXPECT_EQ(script.keys[1].name, L"{not a guid}");
    EXPECT_EQ(script.keys[2].name, L"x y");
    ExpectString(*script.keys[2].defaultValue, L"", L"with {braces} = and % sign");
}

TEST(RegistryScript, BracedGuidNamesAndBlocks) {
    // A braced group of hex digits and dashes (or a substitution) is a name; any other brace is a
    // block, even without spaces around it.
    const auto script = ParseOk(L"HKCU { {12345678-ABCD-ef00-0000-000000000000}{} {%ID%}.2{Abc} }",
                                {{L"ID", L"X-Y"}});
    ASSERT_EQ(script.keys.size(), 2u);
    EXPECT_EQ(script.keys[0].name, L"{12345678-ABCD-ef00-0000-000000000000}");
    EXPECT_TRUE(script.keys[0].keys.empty());
    EXPECT_EQ(script.keys[1].name, L"{X-Y}.2");
    ASSERT_EQ(script.keys[1].keys.size(), 1u);
    EXPECT_EQ(script.keys[1].keys[0].name, L"Abc");
}

TEST(RegistryScript, DwordNumbers) {
    const struct {
        const wchar_t* text;
        std::uint32_t value;
    } good[] = {{L"0", 0},
                {L"1", 1},
                {L"007", 7},
                {L"4294967295", 0xFFFFFFFFu},
                {L"0x0", 0},
                {L"0XfF", 255},
                {L"0xFFFFFFFF", 0xFFFFFFFFu},
                {L"0x00000000000000001", 1}};
    for (const auto& g : good) {
        const auto script = ParseOk(std::wstring(L"HKCU { A { val n = d '") + g.text + L"' } }");
        ASSERT_EQ(script.keys.size(), 1u);
        EXPECT_EQ(script.keys[0].values.at(0).type, ValueType::Dword);
        EXPECT_EQ(script.keys[0].values.at(0).dword, g.value);
    }
    for (const wchar_t* bad :
         {L"", L" 1", L"1 ", L"-1", L"+1", L"4294967296", L"0x100000000", L"0x", L"x1", L"1.0",
          L"12a", L"0x1g", L"one", L"99999999999999999999"}) {
        ExpectError(std::wstring(L"HKCU { A { val n = d '") + bad + L"' } }",
                    "not a 32-bit number");
    }
    // A number can come from a substitution and is checked after it.
    EXPECT_EQ(ParseOk(L"HKCU { A = d '%N%' }", {{L"N", L"0x20"}}).keys.at(0).defaultValue->dword,
              32u);
    ExpectError(L"HKCU { A = d '%N%' }", "not a 32-bit number", {{L"N", L"twenty"}});
    // The data must be quoted.
    ExpectError(L"HKCU { A = d 1 }", "expected quoted value data");
}

TEST(RegistryScript, SubstitutionsMatchNamesIgnoringCase) {
    const Substitutions subs = {
        {L"Module", L"C:\\m.dll"}, {L"APPID", L"{A}"}, {L"appid", L"second"}, {L"v", L"1"}};
    const auto script = ParseOk(
        L"HKCU { '%appId%x' = s '%module%|%AppId%|%%|100%%|%%MODULE%%|%V%%V%' "
        L"{ val %APPID% = s '' } Key%appid%%v%.%% }",
        subs);
    ASSERT_EQ(script.keys.size(), 2u);
    // Names take substitutions too; the first entry for a name counts.
    EXPECT_EQ(script.keys[0].name, L"{A}x");
    ExpectString(*script.keys[0].defaultValue, L"", L"C:\\m.dll|{A}|%|100%|%MODULE%|11");
    ExpectString(script.keys[0].values.at(0), L"{A}", L"");
    EXPECT_EQ(script.keys[1].name, L"Key{A}1.%");
}

TEST(RegistryScript, ReplacementsAreTakenLiterally) {
    // A replacement is never read as script text: quotes, braces, percent signs and keywords in
    // it land as they are, and the caller passes the path as it is.
    const std::wstring module = L"C:\\Bob's Games\\it''s {x} = %APPID% } '.dll";
    const auto script = ParseOk(kClassScript, LauncherSubstitutions(module));
    const Key& cls = script.keys.at(1).keys.at(0);
    ExpectString(*cls.keys.at(2).defaultValue, L"", module);
    ExpectString(cls.values.at(1), L"LocalizedString", L"@" + module + L",-101");
    ExpectString(*cls.keys.at(5).defaultValue, L"", module + L", 103");
    ASSERT_EQ(cls.keys.size(), 9u) << "the script's structure is unchanged";

    const auto named = ParseOk(L"HKCU { %K% = s '%V%' }", {{L"K", L"a' = s 'b"}, {L"V", L"%%K%%"}});
    ASSERT_EQ(named.keys.size(), 1u);
    EXPECT_EQ(named.keys[0].name, L"a' = s 'b");
    ExpectString(*named.keys[0].defaultValue, L"", L"%%K%%");
}

TEST(RegistryScript, UnknownOrUnpairedSubstitutionFails) {
    ExpectError(kClassScript, "unknown substitution %OLEMISC%",
                {{L"MODULE", L"m"}, {L"APPID", L"a"}});
    ExpectError(L"HKCU { A = s '%NOPE%' }", "unknown substitution %NOPE%");
    ExpectError(L"HKCU { %NOPE% }", "unknown substitution");
    ExpectError(L"HKCU { A { val %NOPE% = s '' } }", "unknown substitution");
    ExpectError(L"HKCU { A = s '100%' }", "'%' without its closing '%'");
    ExpectError(L"HKCU { A = s '%MODULE' }", "'%' without its closing '%'", {{L"MODULE", L"m"}});
}

TEST(RegistryScript, KeyNamesMustBeOnePathComponent) {
    // An empty name would make a removal hit the parent key itself.
    ExpectError(L"HKCU { '' }", "empty key name");
    ExpectError(L"HKCU { ForceRemove '%E%' }", "empty key name", {{L"E", L""}});
    ExpectError(L"HKCU { A { val '' = s 'x' } }", "empty value name");
    ExpectError(L"HKCU { 'A\\B' }", "backslash");
    ExpectError(L"HKCU { ForceRemove '%P%' }", "backslash", {{L"P", L"Software\\Other"}});
    // Value names and data may hold backslashes.
    const auto script = ParseOk(L"HKCU { A { val 'x\\y' = s 'C:\\z' } }");
    ExpectString(script.keys.at(0).values.at(0), L"x\\y", L"C:\\z");
}

TEST(RegistryScript, NulCharactersAreRefused) {
    ExpectError(L"HKCU { A = s '%Z%' }", "NUL", {{L"Z", std::wstring(L"a\0b", 3)}});
    ExpectError(std::wstring(L"HKCU { A = s 'a\0b' }", 20), "NUL");
    ExpectError(std::wstring(L"HKCU { A }\0", 11), "unexpected character");
}

TEST(RegistryScript, StructureFaults) {
    const struct {
        const wchar_t* text;
        const char* what;
    } cases[] = {
        {L"", "expected the root key"},
        {L"   \n ", "expected the root key"},
        {L"{ A }", "expected the root key"},
        {L"HKXX { A }", "unknown root key 'HKXX'"},
        {L"'HKCU' { A }", "expected the root key"},
        {L"HKCU A", "expected '{' after the root key"},
        {L"HKCU", "expected '{' after the root key"},
        {L"HKCU {", "missing '}'"},
        {L"HKCU { A {", "missing '}'"},
        {L"HKCU { A { B }", "missing '}'"},
        {L"HKCU { A } }", "text after the root block"},
        {L"HKCU { A } B", "text after the root block"},
        {L"HKCU { A } HKCU { B }", "text after the root block"},
        {L"HKCU { { A } }", "unexpected '{'"},
        {L"HKCU { A { } { } }", "unexpected '{'"},
        {L"HKCU { = s 'x' }", "unexpected '='"},
        {L"HKCU { A = s 'x' = s 'y' }", "unexpected '='"},
        {L"HKCU { A = 'x' }", "expected a value type"},
        {L"HKCU { A = b '01' }", "unknown value type 'b'"},
        {L"HKCU { A = m 'x' }", "unknown value type 'm'"},
        {L"HKCU { A = s x }", "expected quoted value data"},
        {L"HKCU { A = s }", "expected quoted value data"},
        {L"HKCU { A = }", "expected a value type"},
        {L"HKCU { A = s 'x }", "unterminated quoted text"},
        {L"HKCU { A = s 'x\n' }", "unterminated quoted text"},
        {L"HKCU { 'A }", "unterminated quoted text"},
        {L"HKCU { A = s 'it's' }", "unterminated quoted text"},
        {L"HKCU { A; }", "unexpected character ';'"},
        {L"HKCU { A\\B }", "unexpected character '\\'"},
        {L"HKCU { \"A\" }", "unexpected character '\"'"},
        {L"HKCU { val x = s 'y' }", "a value outside any key"},
        {L"HKCU { A { val = s 'y' } }", "expected a value name"},
        {L"HKCU { A { val x s 'y' } }", "expected '=' after the value name"},
        {L"HKCU { A { val x } }", "expected '=' after the value name"},
        {L"HKCU { A { val x = s 'y' { } } }", "unexpected '{'"},
        {L"HKCU { NoRemove }", "expected a key name after 'NoRemove'"},
        {L"HKCU { NoRemove = s 'x' }", "expected a key name after 'NoRemove'"},
        {L"HKCU { NoRemove ForceRemove A }", "expected a key name after 'NoRemove'"},
        {L"HKCU { Delete A = s 'x' }", "a Delete key takes no value"},
        {L"HKCU { Delete A { B } }", "a Delete key takes no entries"},
        {L"HKCU { KeepMe A }", "unknown flag 'KeepMe'"},
        {L"HKCU { ForceRemov A { } }", "unknown flag 'ForceRemov'"},
        {L"HKCU { NoRemove A B }", "unexpected 'B' after a key name"},
        {L"HKCU { 'A' 'B' }", "unexpected 'B' after a key name"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text, c.text + wcslen(c.text)));
        ExpectError(c.text, c.what);
    }
}

TEST(RegistryScript, ErrorsNameTheLine) {
    const ParseResult r = Parse(L"HKCU\n{\n  A\n  {\n    val x = d 'ten'\n  }\n}\n", {});
    ASSERT_FALSE(r.ok);
    EXPECT_EQ(r.error, "line 5: 'ten' is not a 32-bit number");
    const ParseResult unclosed = Parse(L"HKCU\n{\n  A = s 'open\n}\n", {});
    EXPECT_EQ(unclosed.error, "line 3: unterminated quoted text");
    // Non-ASCII text in a message is shown as '?'.
    const ParseResult shown = Parse(L"HKCU { \x00C4rger }", {});
    EXPECT_EQ(shown.error, "line 1: unexpected character");
    const ParseResult sub = Parse(L"HKCU { A = s '%N\x00E4me%' }", {});
    EXPECT_EQ(sub.error, "line 1: unknown substitution %N?me%");
}

TEST(RegistryScript, NamesOnDifferentLinesAreSeparateKeys) {
    const auto script = ParseOk(L"HKCU {\n A\n B\n 'C'\n D = s 'x' E\n}");
    ASSERT_EQ(script.keys.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(script.keys[i].name, std::wstring(1, static_cast<wchar_t>(L'A' + i)));
    }
}

TEST(RegistryScript, NestingHasALimit) {
    auto nested = [](std::size_t levels) {
        std::wstring text = L"HKCU ";
        for (std::size_t i = 0; i < levels; ++i) text += L"{ K ";
        text += L"{ }";
        for (std::size_t i = 0; i < levels; ++i) text += L" }";
        return text;
    };
    // The root block plus kMaxDepth keys, the innermost with an empty block.
    const auto deepest = ParseOk(nested(fw::rgs::kMaxDepth));
    const Key* k = &deepest.keys.at(0);
    std::size_t depth = 1;
    while (!k->keys.empty()) {
        k = &k->keys[0];
        ++depth;
    }
    EXPECT_EQ(depth, fw::rgs::kMaxDepth);
    ExpectError(nested(fw::rgs::kMaxDepth + 1), "nested deeper than 32");
    // Far deeper input fails the same way, without exhausting the stack.
    ExpectError(nested(100000), "nested deeper than 32");
    ExpectError(L"HKCU " + std::wstring(100000, L'{'), "unexpected '{'");
}

TEST(RegistryScript, EmptyRootBlockIsAScriptThatDoesNothing) {
    const auto script = ParseOk(L"HKLM { }");
    EXPECT_EQ(script.root, Root::LocalMachine);
    EXPECT_TRUE(script.keys.empty());
}
