#include "message.h"

#include "companion/rules/json.h"

#include <iterator>
#include <limits>

namespace companion {
namespace {

using nlohmann::json;

constexpr Kind T = Kind::Text;

// Every method a message may call, with its parameters' kinds and what it gives back: the
// spec-check control's texts, the launcher's settings (nothing back) and its numbers.
constexpr Method kMethods[] = {
    {"GetStringCPU", Control::Spec, {}, 0, Answer::Text},
    {"GetStringOS", Control::Spec, {}, 0, Answer::Text},
    {"GetStringMEMORY", Control::Spec, {}, 0, Answer::Text},
    {"GetStringDirectX", Control::Spec, {}, 0, Answer::Text},
    {"GetStringVGA", Control::Spec, {}, 0, Answer::Text},
    {"GetStringSOUND", Control::Spec, {}, 0, Answer::Text},
    {"GetStringVGAVer", Control::Spec, {}, 0, Answer::Text},
    {"GetStringVGADriver", Control::Spec, {}, 0, Answer::Text},
    {"GetStringVGAID", Control::Spec, {}, 0, Answer::Text},
    {"GetStringCPUBit", Control::Spec, {}, 0, Answer::Text},
    {"GetStringMacAddress", Control::Spec, {}, 0, Answer::Text},
    {"GetStringVGAMemory", Control::Spec, {}, 0, Answer::Text},
    {"GetStringCPUID", Control::Spec, {}, 0, Answer::Text},
    {"GetStringSpecVer", Control::Spec, {}, 0, Answer::Text},
    {"GetStringHDDID", Control::Spec, {}, 0, Answer::Text},
    {"TestMethod", Control::Launcher, {T, Kind::Long}, 2, Answer::Number},
    {"RealMethod", Control::Launcher, {T, Kind::Long}, 2, Answer::Number},
    {"SetRegInfo", Control::Launcher, {Kind::Short, T, T}, 3, Answer::None},
    {"SetRegParam", Control::Launcher, {T, T}, 2, Answer::None},
    {"AddPathName", Control::Launcher, {T}, 1, Answer::None},
    {"AddParmeter", Control::Launcher, {T}, 1, Answer::None},
    {"Execute", Control::Launcher, {}, 0, Answer::Number},
    {"ExecuteVista", Control::Launcher, {}, 0, Answer::Number},
    {"ExecuteWin", Control::Launcher, {}, 0, Answer::Number},
    {"ExecuteBoardGame", Control::Launcher, {}, 0, Answer::Number},
    {"ExecuteVistaBoardGame", Control::Launcher, {}, 0, Answer::Number},
    {"ExecuteWinBoardGame", Control::Launcher, {}, 0, Answer::Number},
};

Refusal Malformed(std::string message) { return {RefusalKind::Malformed, std::move(message)}; }

std::string Ordinal(std::size_t index) { return std::to_string(index + 1); }

// A JSON integer within the kind's range.
bool ReadInteger(const json& value, Kind kind, std::int32_t& out) {
    if (!value.is_number_integer()) return false;
    const std::int64_t low = kind == Kind::Short ? std::numeric_limits<std::int16_t>::min()
                                                 : std::numeric_limits<std::int32_t>::min();
    const std::int64_t high = kind == Kind::Short ? std::numeric_limits<std::int16_t>::max()
                                                  : std::numeric_limits<std::int32_t>::max();
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(high)) return false;
        out = static_cast<std::int32_t>(number);
        return true;
    }
    const auto number = value.get<std::int64_t>();
    if (number < low || number > high) return false;
    out = static_cast<std::int32_t>(number);
    return true;
}

// One call: [name, argument...] of a method of `control`, each argument of its parameter's kind.
std::variant<Call, Refusal> ReadCall(const json& item, std::size_t index, Control control) {
    const std::string which = "Call " + Ordinal(index);
    if (!item.is_array() || item.empty() || !item[0].is_string()) {
        return Malformed(which + " is not an array starting with a method's name.");
    }
    const auto& name = item[0].get_ref<const std::string&>();
    Call call;
    call.method = FindMethod(control, name);
    if (!call.method) return Malformed(which + " names no method of this control.");
    const Method& method = *call.method;
    if (item.size() - 1 != method.argumentCount) {
        return Malformed(which + " (" + name + ") takes " + std::to_string(method.argumentCount) +
                         " argument(s), not " + std::to_string(item.size() - 1) + ".");
    }
    for (std::size_t i = 0; i < method.argumentCount; ++i) {
        const json& value = item[i + 1];
        Argument argument;
        argument.kind = method.arguments[i];
        const bool fits = argument.kind == Kind::Text
                              ? value.is_string()
                              : ReadInteger(value, argument.kind, argument.number);
        if (!fits) {
            const char* wanted = argument.kind == Kind::Text    ? "a string"
                                 : argument.kind == Kind::Short ? "an integer from -32768 to 32767"
                                                                : "a 32-bit integer";
            return Malformed(which + " (" + name + "): argument " + Ordinal(i) + " must be " +
                             wanted + ".");
        }
        if (argument.kind == Kind::Text) argument.text = value.get<std::string>();
        call.arguments.push_back(std::move(argument));
    }
    return call;
}

std::string Dump(const json& value) {
    return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

}  // namespace

const Method* FindMethod(Control control, std::string_view name) {
    for (const Method& method : kMethods) {
        if (method.control == control && method.name == name) return &method;
    }
    return nullptr;
}

Refusal TooLongFrame(std::uint32_t length) {
    return {RefusalKind::TooLong, "A message of " + std::to_string(length) +
                                      " bytes is longer than the " +
                                      std::to_string(kMaxMessageBytes) + " bytes allowed."};
}

bool IsOrigin(std::string_view text) {
    for (const std::string_view scheme : {"http://", "https://"}) {
        if (text.starts_with(scheme)) {
            const std::string_view authority = text.substr(scheme.size());
            return !authority.empty() && authority.find_first_of("/?#") == std::string_view::npos;
        }
    }
    return false;
}

std::variant<Request, Refusal> ReadMessage(std::string_view body, OriginRule originAllowed) {
    if (body.size() > kMaxMessageBytes) return TooLongFrame(static_cast<std::uint32_t>(body.size()));
    // No exceptions: a body that is not UTF-8 JSON (lone surrogates included) reads as discarded.
    const json message = json::parse(body.begin(), body.end(), nullptr, false);
    if (message.is_discarded()) return Malformed("The message is not UTF-8 JSON.");
    if (!message.is_object()) return Malformed("The message is not a JSON object.");

    const auto calls = message.find("calls");
    if (calls != message.end() && calls->is_array() && calls->size() > kMaxCalls) {
        return Refusal{RefusalKind::TooLong, "A message may hold at most " +
                                                 std::to_string(kMaxCalls) + " calls, not " +
                                                 std::to_string(calls->size()) + "."};
    }

    Request request;
    const auto control = message.find("control");
    if (control == message.end() || !control->is_string()) {
        return Malformed("The message names no control (\"control\": \"hello\", \"spec\" or "
                         "\"launcher\").");
    }
    const auto& controlName = control->get_ref<const std::string&>();
    if (controlName == "hello") return request;
    if (controlName == "spec") {
        request.control = Control::Spec;
    } else if (controlName == "launcher") {
        request.control = Control::Launcher;
    } else {
        return Malformed("There is no control \"" + controlName + "\".");
    }

    if (calls == message.end() || !calls->is_array() || calls->empty()) {
        return Malformed("The message has no calls (a non-empty array \"calls\").");
    }
    for (std::size_t i = 0; i < calls->size(); ++i) {
        auto call = ReadCall((*calls)[i], i, request.control);
        if (auto* refusal = std::get_if<Refusal>(&call)) return std::move(*refusal);
        request.calls.push_back(std::move(std::get<Call>(call)));
    }

    const auto origin = message.find("origin");
    if (origin == message.end() || !origin->is_string()) {
        return Refusal{RefusalKind::Origin, "The message names no origin (a string)."};
    }
    request.origin = origin->get<std::string>();
    if (!originAllowed(request.origin)) {
        return Refusal{RefusalKind::Origin,
                       "The controls do not work for pages of this origin."};
    }
    return request;
}

std::string HelloAnswer(std::string_view version) {
    return Dump(json{{"version", std::string(version)}});
}

std::string ResultsAnswer(const std::vector<Result>& results) {
    json list = json::array();
    for (const Result& result : results) {
        if (const auto* number = std::get_if<std::int32_t>(&result)) {
            list.push_back(*number);
        } else if (const auto* text = std::get_if<std::string>(&result)) {
            list.push_back(*text);
        } else {
            list.push_back(nullptr);
        }
    }
    return Dump(json{{"results", std::move(list)}});
}

std::string RefusalAnswer(const Refusal& refusal) {
    const char* kind = refusal.kind == RefusalKind::TooLong     ? "too long"
                       : refusal.kind == RefusalKind::Malformed ? "malformed"
                                                                : "origin";
    return Dump(json{{"error", kind}, {"message", refusal.message}});
}

std::string FailureAnswer(std::string_view method, std::uint32_t hresult) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string code = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) code += kHex[(hresult >> shift) & 15];
    return Dump(json{{"error", "failed"},
                     {"message", std::string(method) + " failed (" + code +
                                     "); no later call ran."}});
}

}  // namespace companion
