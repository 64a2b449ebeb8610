// Installation directories, program paths and arguments from pages and the registry: a launch is
// composed only from an absolute local directory and a contained path, and never passes the
// buffers it is written into.
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
    return 0;
}
