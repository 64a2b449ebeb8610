// Copies of the sample game where a launch from an unsafe installation directory would find one.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

// Installation-directory values that must start nothing: empty, relative, root-relative,
// drive-relative, a network share and the two device namespaces. With the program path
// "\Game.exe" and the current folder that PlantedGames sets, each but the share names a game that
// it planted.
inline const wchar_t* const kUnsafeInstallDirs[] = {
    L"",
    L"VarnokPlanted",
    L"\\VarnokPlanted",
    L"C:VarnokPlanted",
    L"\\\\VarnokServer\\Share\\VarnokPlanted",
    L"\\\\?\\C:\\VarnokPlanted",
    L"\\\\.\\C:\\VarnokPlanted",
};

// Makes C:\ the current folder, plants the game as C:\Game.exe, C:\VarnokPlanted\Game.exe and
// C:\Program.exe, and installs it as kInstallDir\Game.exe. Undone on destruction.
class PlantedGames {
public:
    static constexpr const wchar_t* kInstallDir = L"C:\\Program Files\\Game";
    static constexpr const char* kInstalledGame = "C:\\Program Files\\Game\\Game.exe";

    explicit PlantedGames(const std::wstring& game);
    ~PlantedGames();
    PlantedGames(const PlantedGames&) = delete;
    PlantedGames& operator=(const PlantedGames&) = delete;
    bool ok() const { return ok_; }

private:
    std::wstring previousFolder_;
    std::vector<std::wstring> files_;
    bool ok_ = true;
};

}  // namespace testing_support
