// Registry scripts: the text a module carries to describe the keys and values it registers.
// This part reads a script into a plain tree, with the caller's substitutions applied; applying
// the tree to the registry is the Windows side's job (framework/registry_script.h).
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {GUID} = s 'Type name'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//   }
//
// One root (HKCR, HKCU, HKLM or their long names) and one block. A key entry is an optional flag
// (NoRemove, ForceRemove, Delete), a name (bare word or 'quoted'), an optional default value
// (= s 'text' or = d 'number') and an optional block. A value entry is `val name = s|d '...'`.
// Bare words hold letters, digits, . _ - and braced GUIDs; the flags and `val` are keywords in
// any case (quote them to use them as names). Layout is free, except that two names in a row on
// one line are refused: the first one was meant as a flag. Numbers are decimal or 0x hex.
// '' inside quotes is one quote. %NAME% in any name or quoted text is replaced by the caller's
// value for NAME (case-insensitive), %% is one %. Substitution happens per token after the text
// has been split, so a replacement is taken literally: a quote or % in it never changes the
// script's structure and needs no escaping by the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fw::rgs {

enum class Root { ClassesRoot, CurrentUser, LocalMachine };

enum class Flag {
    None,         // created when registering, deleted with its contents when unregistering
    NoRemove,     // created when registering, never deleted itself; its entries are processed
    ForceRemove,  // deleted with its contents and recreated when registering; deleted after
    Delete,       // deleted when registering; left alone when unregistering
};

enum class ValueType { String, Dword };

struct Value {
    std::wstring name;  // empty for a key's default value
    ValueType type = ValueType::String;
    std::wstring text;        // String
    std::uint32_t dword = 0;  // Dword
};

struct Key {
    Flag flag = Flag::None;
    std::wstring name;  // one path component: never empty, never contains a backslash
    std::optional<Value> defaultValue;
    std::vector<Value> values;
    std::vector<Key> keys;
};

struct Script {
    Root root = Root::ClassesRoot;
    std::vector<Key> keys;
};

struct ParseResult {
    bool ok = false;
    std::string error;  // "line N: what is wrong" when !ok (ASCII)
    Script script;      // empty when !ok
};

using Substitutions = std::vector<std::pair<std::wstring, std::wstring>>;

// Keys nested deeper than this below the root are refused.
constexpr std::size_t kMaxDepth = 32;

// Reads a whole script. Any fault (structure, unknown flag or type, bad number, unknown %NAME%,
// empty or backslashed key name, NUL character) fails the whole script. When a name is given
// more than once in the substitutions, the first one counts.
ParseResult Parse(std::wstring_view text, const Substitutions& substitutions);

}  // namespace fw::rgs
