#include "planted_games.h"

#include <windows.h>

namespace testing_support {

namespace {

const wchar_t* const kFolders[] = {L"C:\\VarnokPlanted", L"C:\\Program Files\\Game"};

}  // namespace

PlantedGames::PlantedGames(const std::wstring& game) {
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    previousFolder_ = folder;
    ok_ = SetCurrentDirectoryW(L"C:\\") != FALSE;
    for (const wchar_t* dir : kFolders) CreateDirectoryW(dir, nullptr);
    files_ = {L"C:\\Game.exe", L"C:\\VarnokPlanted\\Game.exe", L"C:\\Program.exe",
              std::wstring(kInstallDir) + L"\\Game.exe"};
    for (const auto& file : files_) ok_ = ok_ && CopyFileW(game.c_str(), file.c_str(), FALSE);
}

PlantedGames::~PlantedGames() {
    SetCurrentDirectoryW(previousFolder_.c_str());
    for (const auto& file : files_) DeleteFileW(file.c_str());
    for (const wchar_t* dir : kFolders) RemoveDirectoryW(dir);
}

}  // namespace testing_support
