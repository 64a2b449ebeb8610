#include "companion/rules/message.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using companion::ReadMessage;
using companion::Refusal;
using companion::RefusalKind;
using companion::Request;

// The origin rule of a build locked to one site.
bool PortalOnly(std::string_view origin) { return origin == "https://portal.example"; }

// A request as "control origin | method(args) ...", texts quoted, numbers bare.
std::string Show(const Request& request) {
    const char* controls[] = {"hello", "spec", "launcher"};
    std::string out = controls[static_cast<int>(request.control)];
    if (request.control != companion::Control::Hello) out += " " + request.origin + " |";
    for (const auto& call : request.calls) {
        out += " " + std::string(call.method->name) + "(";
        for (size_t i = 0; i < call.arguments.size(); ++i) {
            const auto& a = call.arguments[i];
            out += (i ? "," : "") + (a.kind == companion::Kind::Text ? "\"" + a.text + "\""
                                                                     : std::to_string(a.number));
        }
        out += ")";
    }
    return out;
}

std::string Read(const std::string& body) {
    const auto reading = ReadMessage(body, PortalOnly);
    if (const auto* refusal = std::get_if<Refusal>(&reading)) {
        const char* kinds[] = {"too long", "malformed", "origin"};
        return std::string("refused: ") + kinds[static_cast<int>(refusal->kind)];
    }
    return Show(std::get<Request>(reading));
}

std::string Calls(int count) {
    std::string calls;
    for (int i = 0; i < count; ++i) calls += std::string(i ? "," : "") + "[\"GetStringOS\"]";
    return "{\"control\":\"spec\",\"origin\":\"https://portal.example\",\"calls\":[" + calls + "]}";
}

TEST(CompanionMessage, ReadsCallsAndRefusesInOrder) {
    using namespace std::string_literals;
    const std::string at = R"("origin":"https://portal.example",)";
    std::string thirtyTwo = "spec https://portal.example |";
    for (int i = 0; i < 32; ++i) thirtyTwo += " GetStringOS()";
    const struct {
        std::string body;
        std::string expected;
    } cases[] = {
        {R"({"control":"hello"})", "hello"},
        {"{\"control\":\"spec\"," + at + R"("calls":[["GetStringCPU"],["GetStringHDDID"]]})",
         "spec https://portal.example | GetStringCPU() GetStringHDDID()"},
        {"{\"control\":\"launcher\"," + at +
             R"("calls":[["SetRegInfo",-32768,"Software\\G\u00e9","Dir"],["SetRegParam","a\u0000b",""],)"
             R"(["TestMethod","x",2147483647],["RealMethod","y",-2147483648],["ExecuteWin"]]})",
         "launcher https://portal.example | SetRegInfo(-32768,\"Software\\G\xC3\xA9\",\"Dir\") "
         "SetRegParam(\"a\0b\",\"\") TestMethod(\"x\",2147483647) RealMethod(\"y\",-2147483648) "
         "ExecuteWin()"s},
        {Calls(32), thirtyTwo},
        // too long: more calls than allowed, even where something else is wrong too
        {Calls(33), "refused: too long"},
        {R"({"control":"nothing","calls":[)" + Calls(33).substr(Calls(33).find("[[") + 1),
         "refused: too long"},
        // malformed, one row per way
        {"\xFF", "refused: malformed"},
        {R"({"control":"hello",})", "refused: malformed"},
        {R"({"control":"spec","origin":"\ud800","calls":[["GetStringOS"]]})", "refused: malformed"},
        {"{\"control\":\"spec\",\"origin\":\"https://portal.example\xC0\xAF\",\"calls\":[[\"GetStringOS\"]]}",
         "refused: malformed"},
        {R"([{"control":"hello"}])", "refused: malformed"},
        {R"({"control":"Spec","calls":[["GetStringOS"]]})", "refused: malformed"},
        {R"({"control":"spec"})", "refused: malformed"},
        {R"({"control":"spec","calls":[]})", "refused: malformed"},
        {R"({"control":"spec","calls":{"0":["GetStringOS"]}})", "refused: malformed"},
        {R"({"control":"spec","calls":["GetStringOS"]})", "refused: malformed"},
        {R"({"control":"spec","calls":[["ExecuteWin"]]})", "refused: malformed"},
        {R"({"control":"launcher","calls":[["getstringos"]]})", "refused: malformed"},
        {R"({"control":"launcher","calls":[["AddPathName"]]})", "refused: malformed"},
        {R"({"control":"launcher","calls":[["AddPathName",1]]})", "refused: malformed"},
        {R"({"control":"launcher","calls":[["SetRegInfo",32768,"k","v"]]})", "refused: malformed"},
        {R"({"control":"launcher","calls":[["SetRegInfo",1.0,"k","v"]]})", "refused: malformed"},
        {R"({"control":"launcher","calls":[["TestMethod","x",2147483648]]})", "refused: malformed"},
        {R"({"control":"launcher","calls":[["TestMethod","x",true]]})", "refused: malformed"},
        // origin: missing, not a string, or turned down by the build's rule
        {R"({"control":"spec","calls":[["GetStringOS"]]})", "refused: origin"},
        {R"({"control":"spec","origin":null,"calls":[["GetStringOS"]]})", "refused: origin"},
        {R"({"control":"spec","origin":"https://evil.example","calls":[["GetStringOS"]]})",
         "refused: origin"},
    };
    for (const auto& c : cases) EXPECT_EQ(Read(c.body), c.expected) << c.body;
}

TEST(CompanionMessage, FramesOriginsAndAnswers) {
    EXPECT_TRUE(companion::FrameFits(65536));
    EXPECT_FALSE(companion::FrameFits(65537));
    EXPECT_EQ(Read(std::string(65537, ' ')), "refused: too long");

    const struct {
        const char* text;
        bool origin;
    } origins[] = {
        {"https://portal.example", true}, {"http://games.portal.example:8080", true},
        {"https://portal.example/", false}, {"https://portal.example?x", false},
        {"https://portal.example#x", false}, {"https://", false},
        {"chrome-extension://hlokajkphbnnappinhojjeopoccbbgdf", false}, {"null", false},
    };
    for (const auto& o : origins) EXPECT_EQ(companion::IsOrigin(o.text), o.origin) << o.text;

    EXPECT_EQ(companion::HelloAnswer("1.0.1.3"), R"({"version":"1.0.1.3"})");
    EXPECT_EQ(companion::ResultsAnswer({std::monostate(), -1, std::string("a\"\xC3\xA9"),
                                        std::string("\xFF")}),
              "{\"results\":[null,-1,\"a\\\"\xC3\xA9\",\"\xEF\xBF\xBD\"]}");
    EXPECT_EQ(companion::RefusalAnswer({RefusalKind::TooLong, "m"}),
              R"({"error":"too long","message":"m"})");
}

}  // namespace
