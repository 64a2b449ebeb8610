// The companion host's messages: a frame's length decision, the reading of one message (UTF-8
// JSON) into calls of a control's methods or into a refusal, and the answers as JSON text.
//
// Messages: {"control":"hello"}; {"control":"spec"|"launcher","origin":O,"calls":[[method,
// argument...],...]}. A refusal names the first of these that applies: "too long" (more than
// kMaxCalls calls; a frame over kMaxMessageBytes is refused before its body is read), "malformed"
// (not UTF-8 JSON, not an object, unknown control, calls missing, not an array or empty, a call
// that is not an array starting with a method of that control, wrong argument count or type),
// "origin" (O missing or not a string, or not allowed by the caller's rule).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace companion {

// Longest message body, in bytes.
constexpr std::uint32_t kMaxMessageBytes = 65536;
// Most calls in one message.
constexpr std::size_t kMaxCalls = 32;

enum class Control { Hello, Spec, Launcher };

// An argument's kind: a JSON string, or a JSON integer within the parameter's range.
enum class Kind { Text, Short, Long };
// What a method gives back: nothing (answered null), a number, or a text.
enum class Answer { None, Number, Text };

struct Method {
    std::string_view name;
    Control control;
    Kind arguments[3];
    std::size_t argumentCount;
    Answer answer;
};

struct Argument {
    Kind kind = Kind::Text;
    std::string text;          // Text: UTF-8, whole (an escaped NUL included)
    std::int32_t number = 0;   // Short and Long: within the kind's range
};

struct Call {
    const Method* method = nullptr;  // an entry of the method table, of the request's control
    std::vector<Argument> arguments;
};

struct Request {
    Control control = Control::Hello;
    std::string origin;         // empty for hello
    std::vector<Call> calls;    // empty for hello
};

enum class RefusalKind { TooLong, Malformed, Origin };

struct Refusal {
    RefusalKind kind;
    std::string message;  // one sentence for a page's developer
};

// A method of `control` by its exact name; null when it has none of that name.
[[nodiscard]] const Method* FindMethod(Control control, std::string_view name);

// Whether a frame of `length` bytes is read; a longer one is answered TooLongFrame unread.
[[nodiscard]] constexpr bool FrameFits(std::uint32_t length) { return length <= kMaxMessageBytes; }

// The refusal of a frame whose length does not fit.
[[nodiscard]] Refusal TooLongFrame(std::uint32_t length);

// Whether `text` is a web origin and nothing more: http or https, "://", a non-empty authority, no
// path, query or fragment (what a browser reports as a sender's origin).
[[nodiscard]] bool IsOrigin(std::string_view text);

// The build's rule for a message's origin: whether its controls work for pages of it.
using OriginRule = bool (*)(std::string_view origin);

// Reads one message body. `originAllowed` is asked only about a well-formed message's origin
// string (never for hello); a message it turns down is refused as "origin".
[[nodiscard]] std::variant<Request, Refusal> ReadMessage(std::string_view body,
                                                         OriginRule originAllowed);

// One call's result: none, a number, or a text (UTF-8).
using Result = std::variant<std::monostate, std::int32_t, std::string>;

// The answers, as JSON text: {"version":...}, {"results":[...]}, {"error":KIND,"message":...}.
// A text that is not UTF-8 is written with U+FFFD for its bad bytes.
[[nodiscard]] std::string HelloAnswer(std::string_view version);
[[nodiscard]] std::string ResultsAnswer(const std::vector<Result>& results);
[[nodiscard]] std::string RefusalAnswer(const Refusal& refusal);
// A step the control could not carry out (kind "failed"): the calls before it ran, none after.
[[nodiscard]] std::string FailureAnswer(std::string_view method, std::uint32_t hresult);

}  // namespace companion
