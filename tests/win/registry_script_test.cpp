// The registry-script engine against the real registry, below a scratch key of HKCU: what
// registering writes, ForceRemove and Delete, registering twice, what unregistering removes and
// keeps, scripts that fail before writing anything, substituted paths with quotes, the text
// encodings of REGISTRY resources, and a registry failure partway.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "raii.h"
#include "registry_script.h"

using fw::RegKey;
using fw::rgs::Substitutions;

namespace {

const wchar_t kScratch[] = L"Software\\VarnokRgsTest";
const wchar_t kClsid[] = L"{6F1E7A2B-0C3D-4E5F-8A9B-1C2D3E4F5A6B}";
const wchar_t kAppId[] = L"{0B2D4E6F-1A3C-4B5D-8E7F-90A1B2C3D4E5}";
const wchar_t kModule[] = L"C:\\Program Files\\Varnok\\VarnokLauncher.dll";

// The launcher's two scripts in one, moved below the scratch key, with a NoRemove key holding
// values and a key to delete.
const wchar_t kScript[] = LR"(HKCU
{
	NoRemove Software
	{
		NoRemove VarnokRgsTest
		{
			Varnok.RgsTest.1 = s 'Rgs Test Control'
			{
				CLSID = s '{6F1E7A2B-0C3D-4E5F-8A9B-1C2D3E4F5A6B}'
			}
			NoRemove CLSID
			{
				ForceRemove {6F1E7A2B-0C3D-4E5F-8A9B-1C2D3E4F5A6B} = s 'Rgs Test Control'
				{
					ProgID = s 'Varnok.RgsTest.1'
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
			NoRemove Shared
			{
				val Ours = s 'ours'
				val Mask = d '0xFFFFFFFF'
			}
			Delete Obsolete
		}
	}
}
)";

Substitutions Subs(const std::wstring& module = kModule) {
    return {{L"MODULE", module}, {L"APPID", kAppId}, {L"OLEMISC", L"131473"}};
}

// Parses (expecting success) and applies a script text.
HRESULT Apply(const std::wstring& text, bool doRegister, const Substitutions& subs = Subs()) {
    const fw::rgs::ParseResult parsed = fw::rgs::Parse(text, subs);
    EXPECT_TRUE(parsed.ok) << parsed.error;
    if (!parsed.ok) return E_FAIL;
    return fw::ApplyRegistryScript(parsed.script, doRegister);
}

std::wstring Below(const std::wstring& path) {
    return path.empty() ? std::wstring(kScratch) : std::wstring(kScratch) + L"\\" + path;
}
std::wstring ClassKey(const std::wstring& sub = L"") {
    return L"CLSID\\" + std::wstring(kClsid) + (sub.empty() ? L"" : L"\\" + sub);
}

struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

// A value of HKCU\<scratch>\<path>; nullopt when it or its key is absent.
std::optional<RegValue> Read(const std::wstring& path, const wchar_t* name) {
    RegKey key;
    if (key.OpenW(HKEY_CURRENT_USER, Below(path).c_str(), KEY_QUERY_VALUE) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD size = 0;
    RegValue v;
    if (RegQueryValueExW(key.get(), name, nullptr, &v.type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    v.data.resize(size);
    if (RegQueryValueExW(key.get(), name, nullptr, &v.type, v.data.data(), &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    v.data.resize(size);
    return v;
}

// REG_SZ holding exactly `text` and its terminator.
void ExpectSz(const std::wstring& path, const wchar_t* name, const std::wstring& text) {
    SCOPED_TRACE(::testing::Message()
                 << "value '" << (name ? name : L"(default)") << "' of " << path);
    const std::optional<RegValue> v = Read(path, name);
    ASSERT_TRUE(v) << "absent";
    EXPECT_EQ(v->type, static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(v->data.size(), (text.size() + 1) * sizeof(wchar_t));
    std::wstring stored(text.size() + 1, L'?');
    std::copy(v->data.begin(), v->data.end(), reinterpret_cast<BYTE*>(stored.data()));
    EXPECT_EQ(stored, text + L'\0');
}

void ExpectDword(const std::wstring& path, const wchar_t* name, DWORD expected) {
    SCOPED_TRACE(::testing::Message() << "value '" << name << "' of " << path);
    const std::optional<RegValue> v = Read(path, name);
    ASSERT_TRUE(v) << "absent";
    EXPECT_EQ(v->type, static_cast<DWORD>(REG_DWORD));
    ASSERT_EQ(v->data.size(), sizeof(DWORD));
    DWORD stored = 0;
    std::copy(v->data.begin(), v->data.end(), reinterpret_cast<BYTE*>(&stored));
    EXPECT_EQ(stored, expected);
}

bool Exists(const std::wstring& path) {
    RegKey key;
    return key.OpenW(HKEY_CURRENT_USER, Below(path).c_str(), KEY_QUERY_VALUE) == ERROR_SUCCESS;
}

// Names of a key's values ("" for the default value) and of its sub-keys, sorted.
std::vector<std::wstring> Names(const std::wstring& path, bool subKeys) {
    std::vector<std::wstring> names;
    RegKey key;
    if (key.OpenW(HKEY_CURRENT_USER, Below(path).c_str(), KEY_READ) != ERROR_SUCCESS) return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD length = 16384;
        const LONG rc =
            subKeys
                ? RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr)
                : RegEnumValueW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    std::sort(names.begin(), names.end());
    return names;
}
std::vector<std::wstring> Values(const std::wstring& path) { return Names(path, false); }
std::vector<std::wstring> SubKeys(const std::wstring& path) { return Names(path, true); }

// Everything below the scratch key, one line per key and per value (type and data bytes).
std::vector<std::wstring> Dump(const std::wstring& path = L"") {
    std::vector<std::wstring> lines{L"key " + path};
    for (const std::wstring& name : Values(path)) {
        const std::optional<RegValue> v = Read(path, name.c_str());
        std::wstring line = L"value " + path + L" | " + name + L" | ";
        if (v) {
            line += std::to_wstring(v->type) + L" |";
            for (BYTE b : v->data) line += L" " + std::to_wstring(b);
        }
        lines.push_back(line);
    }
    for (const std::wstring& sub : SubKeys(path)) {
        const std::vector<std::wstring> more = Dump(path.empty() ? sub : path + L"\\" + sub);
        lines.insert(lines.end(), more.begin(), more.end());
    }
    return lines;
}

void Plant(const std::wstring& path, const wchar_t* name, const std::wstring& text,
           DWORD options = REG_OPTION_NON_VOLATILE) {
    RegKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, Below(path).c_str(), 0, nullptr, options,
                              KEY_WRITE, nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    if (name) {
        ASSERT_EQ(
            RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
    }
}

void WipeScratch() {
    const LONG rc = RegDeleteTreeW(HKEY_CURRENT_USER, kScratch);
    ASSERT_TRUE(rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) << rc;
    RegDeleteKeyW(HKEY_CURRENT_USER, kScratch);
    ASSERT_FALSE(Exists(L""));
}

class RegistryScript : public ::testing::Test {
protected:
    void SetUp() override { WipeScratch(); }
    void TearDown() override { WipeScratch(); }

    // Everything the script writes, with these substitutions.
    void ExpectRegistered(const std::wstring& module = kModule) {
        ExpectSz(L"Varnok.RgsTest.1", nullptr, L"Rgs Test Control");
        EXPECT_EQ(Values(L"Varnok.RgsTest.1"), std::vector<std::wstring>{L""});
        EXPECT_EQ(SubKeys(L"Varnok.RgsTest.1"), std::vector<std::wstring>{L"CLSID"});
        ExpectSz(L"Varnok.RgsTest.1\\CLSID", nullptr, kClsid);

        ExpectSz(ClassKey(), nullptr, L"Rgs Test Control");
        ExpectSz(ClassKey(), L"AppID", kAppId);
        ExpectSz(ClassKey(), L"LocalizedString", L"@" + module + L",-101");
        EXPECT_EQ(Values(ClassKey()),
                  (std::vector<std::wstring>{L"", L"AppID", L"LocalizedString"}));
        EXPECT_EQ(SubKeys(ClassKey()),
                  (std::vector<std::wstring>{L"Control", L"Elevation", L"InprocServer32",
                                             L"MiscStatus", L"ProgID", L"Programmable",
                                             L"ToolboxBitmap32", L"TypeLib", L"Version"}));
        ExpectSz(ClassKey(L"ProgID"), nullptr, L"Varnok.RgsTest.1");
        EXPECT_TRUE(Values(ClassKey(L"Programmable")).empty()) << "no default value is set";
        EXPECT_TRUE(Values(ClassKey(L"Control")).empty());
        ExpectSz(ClassKey(L"InprocServer32"), nullptr, module);
        ExpectSz(ClassKey(L"InprocServer32"), L"ThreadingModel", L"Apartment");
        EXPECT_EQ(Values(ClassKey(L"InprocServer32")).size(), 2u);
        ExpectDword(ClassKey(L"Elevation"), L"Enabled", 1);
        EXPECT_EQ(Values(ClassKey(L"Elevation")), std::vector<std::wstring>{L"Enabled"});
        ExpectSz(ClassKey(L"ToolboxBitmap32"), nullptr, module + L", 103");
        ExpectSz(ClassKey(L"MiscStatus"), nullptr, L"0");
        ExpectSz(ClassKey(L"MiscStatus\\1"), nullptr, L"131473");
        ExpectSz(ClassKey(L"TypeLib"), nullptr, L"{072FD9E2-A94E-424E-9977-911C491B1803}");
        ExpectSz(ClassKey(L"Version"), nullptr, L"1.0");

        const std::wstring appIdKey = L"AppID\\" + std::wstring(kAppId);
        ExpectSz(appIdKey, nullptr, L"VarnokLauncher");
        ExpectSz(appIdKey, L"DllSurrogate", L"");
        ExpectSz(L"AppID\\VarnokLauncher.DLL", L"AppID", kAppId);
        EXPECT_TRUE(Read(L"AppID\\VarnokLauncher.DLL", nullptr) == std::nullopt);

        ExpectSz(L"Shared", L"Ours", L"ours");
        ExpectDword(L"Shared", L"Mask", 0xFFFFFFFFu);
        EXPECT_FALSE(Exists(L"Obsolete"));
    }
};

TEST_F(RegistryScript, RegisteringWritesEveryKeyAndValueWithItsType) {
    ASSERT_EQ(Apply(kScript, true), S_OK);
    ExpectRegistered();
    EXPECT_EQ(SubKeys(L""),
              (std::vector<std::wstring>{L"AppID", L"CLSID", L"Shared", L"Varnok.RgsTest.1"}));
}

TEST_F(RegistryScript, RegisteringTwiceGivesTheSameRegistryAsOnce) {
    ASSERT_EQ(Apply(kScript, true), S_OK);
    const std::vector<std::wstring> once = Dump();
    ASSERT_EQ(Apply(kScript, true), S_OK);
    EXPECT_EQ(Dump(), once);
    ExpectRegistered();
}

TEST_F(RegistryScript, ForceRemoveRebuildsTheKeyFromScratch) {
    // Left over from an older version: a stray value, a stray key with contents, and an old value
    // in a ForceRemove key below it.
    Plant(ClassKey(), L"Stray", L"old");
    Plant(ClassKey(L"Stale\\Deeper"), L"Old", L"old");
    Plant(ClassKey(L"Programmable"), L"Old", L"old");
    Plant(ClassKey(L"InprocServer32"), L"Old", L"old");
    ASSERT_EQ(Apply(kScript, true), S_OK);
    ExpectRegistered();
    EXPECT_FALSE(Exists(ClassKey(L"Stale")));
    EXPECT_FALSE(Read(ClassKey(), L"Stray"));

    // A ForceRemove key below a plain one is rebuilt; the plain one keeps what it had.
    const wchar_t nested[] =
        L"HKCU { NoRemove Software { NoRemove VarnokRgsTest { A { ForceRemove B { C } } } } }";
    Plant(L"A", L"Keep", L"kept");
    Plant(L"A\\Kept", nullptr, L"");
    Plant(L"A\\B\\Old", L"Old", L"old");
    Plant(L"A\\B", L"Old", L"old");
    ASSERT_EQ(Apply(nested, true), S_OK);
    ExpectSz(L"A", L"Keep", L"kept");
    EXPECT_TRUE(Exists(L"A\\Kept"));
    EXPECT_EQ(SubKeys(L"A\\B"), std::vector<std::wstring>{L"C"});
    EXPECT_TRUE(Values(L"A\\B").empty());
}

TEST_F(RegistryScript, DeleteRemovesAKeyWhenRegisteringAndNothingWhenUnregistering) {
    Plant(L"Obsolete\\Child\\Grandchild", L"v", L"x");
    Plant(L"Obsolete", L"v", L"x");
    ASSERT_EQ(Apply(kScript, true), S_OK);
    EXPECT_FALSE(Exists(L"Obsolete"));
    ASSERT_EQ(Apply(kScript, true), S_OK) << "a Delete key already gone is no error";

    const wchar_t script[] =
        L"HKCU { NoRemove Software { NoRemove VarnokRgsTest { Delete Old } } }";
    Plant(L"Old", L"v", L"x");
    ASSERT_EQ(Apply(script, false), S_OK);
    EXPECT_TRUE(Exists(L"Old"));
}

TEST_F(RegistryScript, UnregisteringRemovesExactlyWhatTheScriptNames) {
    // Other components' entries next to ours.
    Plant(L"CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32", nullptr, L"");
    Plant(L"CLSID", L"TheirValue", L"theirs");
    Plant(L"AppID\\Other", L"AppID", L"theirs");
    Plant(L"Shared", L"Theirs", L"theirs");
    Plant(L"", L"Theirs", L"theirs");
    Plant(L"Unrelated", nullptr, L"");
    ASSERT_EQ(Apply(kScript, true), S_OK);
    ExpectRegistered();

    ASSERT_EQ(Apply(kScript, false), S_OK);
    EXPECT_FALSE(Exists(L"Varnok.RgsTest.1"));
    EXPECT_FALSE(Exists(ClassKey()));
    EXPECT_FALSE(Exists(L"AppID\\" + std::wstring(kAppId)));
    EXPECT_FALSE(Exists(L"AppID\\VarnokLauncher.DLL"));
    EXPECT_EQ(SubKeys(L""),
              (std::vector<std::wstring>{L"AppID", L"CLSID", L"Shared", L"Unrelated"}));
    EXPECT_EQ(SubKeys(L"CLSID"),
              std::vector<std::wstring>{L"{11111111-2222-3333-4444-555555555555}"});
    EXPECT_TRUE(Exists(L"CLSID\\{11111111-2222-3333-4444-555555555555}\\InprocServer32"));
    ExpectSz(L"CLSID", L"TheirValue", L"theirs");
    EXPECT_EQ(SubKeys(L"AppID"), std::vector<std::wstring>{L"Other"});
    ExpectSz(L"AppID\\Other", L"AppID", L"theirs");
    EXPECT_EQ(Values(L"Shared"), std::vector<std::wstring>{L"Theirs"});
    ExpectSz(L"", L"Theirs", L"theirs");

    // Again, with everything already gone: still no error, nothing else touched.
    const std::vector<std::wstring> after = Dump();
    ASSERT_EQ(Apply(kScript, false), S_OK);
    EXPECT_EQ(Dump(), after);
}

TEST_F(RegistryScript, UnregisteringWhenNothingWasRegistered) {
    ASSERT_EQ(Apply(kScript, false), S_OK);
    EXPECT_FALSE(Exists(L""));
}

TEST_F(RegistryScript, ScriptsThatFailToParseChangeNothing) {
    HMODULE self = GetModuleHandleW(nullptr);
    ASSERT_EQ(Apply(kScript, true), S_OK);
    const std::vector<std::wstring> before = Dump();
    // An unknown substitution in the last entry, a missing final brace, text not valid in its
    // encoding: each comes before any change, registering or unregistering.
    for (const UINT id : {205u, 206u, 204u}) {
        for (const bool doRegister : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "resource " << id << " register " << doRegister);
            EXPECT_EQ(fw::RunRegistryScript(self, id, doRegister, Subs()),
                      fw::kRegistryScriptInvalid);
            EXPECT_EQ(Dump(), before);
        }
    }
    // The launcher's script without one of its substitutions.
    const fw::rgs::ParseResult missing =
        fw::rgs::Parse(kScript, {{L"MODULE", kModule}, {L"APPID", kAppId}});
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("OLEMISC"), std::string::npos) << missing.error;
}

TEST_F(RegistryScript, QuoteInSubstitutedPathLandsIntact) {
    const std::wstring module = L"C:\\Users\\O'Brien\\Bob''s Games {x} = %APPID% '}.dll";
    ASSERT_EQ(Apply(kScript, true, Subs(module)), S_OK);
    ExpectRegistered(module);
    ASSERT_EQ(Apply(kScript, false, Subs(module)), S_OK);
    EXPECT_FALSE(Exists(ClassKey()));
}

TEST_F(RegistryScript, ResourceTextInEachEncoding) {
    HMODULE self = GetModuleHandleW(nullptr);
    const std::wstring module = L"C:\\it's\\x.dll";
    const std::wstring cafe = L"caf\u00e9";
    // Whatever the ANSI code page makes of the byte 0xE9.
    wchar_t ansi[2] = {};
    ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, "\xE9", 1, ansi, 1), 1);
    const std::wstring ansiCafe = L"caf" + std::wstring(1, ansi[0]);
    const struct {
        UINT id;
        std::wstring key;
        std::wstring text;
    } cases[] = {
        {201, L"Encoded " + cafe, L"UTF-8 " + cafe + L" " + module},
        {202, L"Encoded " + cafe, L"UTF-16 " + cafe + L" \u4e2d " + module},
        {203, L"Encoded " + ansiCafe, L"ANSI " + ansiCafe + L" " + module},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "resource " << c.id);
        ASSERT_EQ(fw::RunRegistryScript(self, c.id, true, {{L"module", module}}), S_OK);
        ExpectSz(c.key, nullptr, c.text);
        EXPECT_EQ(SubKeys(L""), std::vector<std::wstring>{c.key});
        ASSERT_EQ(fw::RunRegistryScript(self, c.id, false, {{L"MODULE", module}}), S_OK);
        EXPECT_FALSE(Exists(c.key));
    }
}

TEST_F(RegistryScript, MissingResourceOrUnknownModule) {
    EXPECT_EQ(fw::RunRegistryScript(GetModuleHandleW(nullptr), 299, true, Subs()),
              HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND));
    // A module with no REGISTRY resources at all.
    const HRESULT hr = fw::RunRegistryScript(GetModuleHandleW(L"kernel32.dll"), 201, true, Subs());
    EXPECT_TRUE(hr == HRESULT_FROM_WIN32(ERROR_RESOURCE_TYPE_NOT_FOUND) ||
                hr == HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND))
        << std::hex << hr;
    EXPECT_FALSE(Exists(L""));
}

TEST_F(RegistryScript, RegistryFailurePartwayIsReportedAndEarlierEntriesStay) {
    // The registry refuses a lasting key below a volatile one. (The scratch key is made lasting
    // first: keys created on the way to a volatile key are volatile too.)
    Plant(L"", nullptr, L"");
    Plant(L"Volatile", nullptr, L"", REG_OPTION_VOLATILE);
    const wchar_t script[] =
        L"HKCU { NoRemove Software { NoRemove VarnokRgsTest {\n"
        L"  First = s '1'\n"
        L"  Volatile { Child = s 'x' }\n"
        L"  Last = s '2'\n"
        L"} } }";
    EXPECT_EQ(Apply(script, true), HRESULT_FROM_WIN32(ERROR_CHILD_MUST_BE_VOLATILE));
    ExpectSz(L"First", nullptr, L"1");
    EXPECT_FALSE(Exists(L"Volatile\\Child"));
    EXPECT_FALSE(Exists(L"Last"));
}

}  // namespace
