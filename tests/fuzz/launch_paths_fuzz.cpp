// Installation directories, program paths and arguments from pages and the registry: a launch is
// composed only from an absolute local directory and a contained path, and never passes the
// buffers it is written into; a launch policy allows no program outside a plain local path.
#include "fuzz_input.h"
#include "launcher/rules/launch_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    const std::string directory = in.Text();
    const std::string path = in.Text();
    const std::string argument = in.Rest();
    const bool absolute = launcher::IsAbsoluteLocalDirectory(directory);
    if (absolute) FUZZ_CHECK(directory.size() >= 3 && directory[1] == ':' && directory[2] == '\\');
    const bool contained = launcher::IsContainedPath(path);
    if (contained) FUZZ_CHECK(path.find(':') == std::string::npos);
    for (const auto& launch : {launcher::ComposeGameLaunch(directory, path, argument),
                               launcher::ComposeBoardGameLaunch(directory, path, argument)}) {
        if (!launch) continue;
        FUZZ_CHECK(launch->program.size() < launcher::kDirectoryBufferSize);
        FUZZ_CHECK(launch->commandLine.size() < launcher::kCommandLineSize);
        FUZZ_CHECK(launch->commandLine.compare(0, launch->program.size(), launch->program) == 0);
    }
    launcher::TextOfValue(directory.data(), directory.size());

    // The same texts as a policy entry, a policy's directory and name, and the program a game
    // launch would name.
    auto shiftJisLead = [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || b >= 0xE0; };
    if (const auto location = launcher::ParsePolicyLocation(directory, shiftJisLead)) {
        FUZZ_CHECK(!location->keyPath.empty() && location->keyPath[0] != '\\');
        FUZZ_CHECK(location->root >= launcher::kClassesRoot &&
                   location->root <= launcher::kLocalMachine);
    }
    const launcher::LaunchPolicy policy{{directory}, !argument.empty(), {argument}};
    const std::string program = launcher::GameProgram(directory, path);
    if (launcher::PolicyAllowsGame(policy, program, shiftJisLead)) {
        FUZZ_CHECK(launcher::IsAbsoluteLocalDirectory(program));
        FUZZ_CHECK(program.find(':', 2) == std::string::npos);
        FUZZ_CHECK(launcher::IsContainedPath(program.substr(2)));
    }
    if (launcher::PolicyAllowsBoardGame(policy, program, directory, shiftJisLead)) {
        FUZZ_CHECK(policy.programsListed && launcher::IsContainedPath(program.substr(2)));
    }
    return 0;
}
