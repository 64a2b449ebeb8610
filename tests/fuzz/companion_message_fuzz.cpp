// Companion messages from any bytes: a message read into calls holds at most the allowed calls,
// each a method of its control with arguments of its parameters' kinds, and reads back the same
// when written out again; every answer, whatever text it carries, is JSON.
#include "companion/rules/json.h"

#include <string>

#include "companion/rules/message.h"
#include "fuzz_input.h"

namespace {

using nlohmann::json;

// The origin rule of a locked build: origins whose host starts with "p".
bool Allowed(std::string_view origin) { return companion::IsOrigin(origin) && origin.size() > 8 &&
                                               origin.substr(origin.find("//") + 2, 1) == "p"; }

json Written(const companion::Request& request) {
    const char* names[] = {"hello", "spec", "launcher"};
    json calls = json::array();
    for (const auto& call : request.calls) {
        json item = json::array({std::string(call.method->name)});
        for (const auto& a : call.arguments) {
            if (a.kind == companion::Kind::Text) {
                item.push_back(a.text);
            } else {
                item.push_back(a.number);
            }
        }
        calls.push_back(item);
    }
    return {{"control", names[static_cast<int>(request.control)]},
            {"origin", request.origin}, {"calls", calls}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::string text = in.Text();
    const std::string body = in.Rest();

    const auto reading = companion::ReadMessage(body, Allowed);
    if (const auto* request = std::get_if<companion::Request>(&reading)) {
        FUZZ_CHECK(body.size() <= companion::kMaxMessageBytes);
        FUZZ_CHECK(request->calls.size() <= companion::kMaxCalls);
        if (request->control != companion::Control::Hello) {
            FUZZ_CHECK(!request->calls.empty() && Allowed(request->origin));
            for (const auto& call : request->calls) {
                FUZZ_CHECK(call.method && call.method->control == request->control);
                FUZZ_CHECK(call.arguments.size() == call.method->argumentCount);
                for (std::size_t i = 0; i < call.arguments.size(); ++i) {
                    const auto& a = call.arguments[i];
                    FUZZ_CHECK(a.kind == call.method->arguments[i]);
                    FUZZ_CHECK(a.kind != companion::Kind::Short ||
                               (a.number >= -32768 && a.number <= 32767));
                }
            }
            const auto again = companion::ReadMessage(Written(*request).dump(), Allowed);
            const auto* same = std::get_if<companion::Request>(&again);
            FUZZ_CHECK(same && Written(*same) == Written(*request));
        }
    } else {
        FUZZ_CHECK(!std::get<companion::Refusal>(reading).message.empty());
    }

    for (const std::string& answer :
         {companion::HelloAnswer(text), companion::ResultsAnswer({std::monostate(), 7, text}),
          companion::RefusalAnswer({companion::RefusalKind::Malformed, text}),
          companion::FailureAnswer(text, 0x80004005u)}) {
        FUZZ_CHECK(json::accept(answer));
    }
    return 0;
}
