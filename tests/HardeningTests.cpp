// How the shipped executable is linked, and which libraries the running program loads: a random base
// with its relocations, no executable data, imports from the system's own libraries only, and no
// library of a system library's name taken from the program's folder or the current folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <imagehlp.h>
#include <psapi.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Afx.h"
#include "NoticeDriving.h"
#include "PeImage.h"
#include "StandInViewer.h"
#include "TestSupport.h"

using namespace tarvolin_test;

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
  return text;
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

std::string SystemFolder() {
  char path[MAX_PATH] = "";
  GetSystemDirectoryA(path, MAX_PATH);
  return path;
}

std::string ModulePath(HMODULE module) {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(module, path, MAX_PATH);
  return path;
}

// The libraries a shipped program may import: the system's own, each a known library of the system
// (Windows XP and later load those from the system folder whatever lies beside the program). msvcrt
// is the C library of the system, which the statically linked MinGW runtime calls.
const char* const kSystemLibraries[] = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll"};

// Everything wrong with how image was linked, in words; empty for a hardened image.
std::vector<std::string> HardeningFaults(const PeImage& image) {
  std::vector<std::string> faults;
  const WORD flags = image.DllCharacteristics();
  if ((flags & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE) == 0) faults.push_back("no random base");
  if (image.Is64Bit() && (flags & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA) == 0)
    faults.push_back("no high-entropy addresses");
  if ((flags & IMAGE_DLLCHARACTERISTICS_NX_COMPAT) == 0) faults.push_back("not NX compatible");
  if ((image.FileCharacteristics() & IMAGE_FILE_RELOCS_STRIPPED) != 0) faults.push_back("relocations stripped");
  const PeImage::Section* relocations = image.RelocationSection();
  if (relocations == nullptr || relocations->name != ".reloc") faults.push_back("no relocation section");
  // A random base is only honoured for an image whose code can be moved: its relocations must reach it.
  bool codeRelocated = false;
  for (DWORD rva : image.RelocatedAddresses()) {
    const PeImage::Section* section = image.SectionAt(rva);
    if (section != nullptr && (section->characteristics & IMAGE_SCN_MEM_EXECUTE) != 0) codeRelocated = true;
  }
  if (!codeRelocated) faults.push_back("no relocation in code");
  for (const PeImage::Section& section : image.Sections()) {
    if ((section.characteristics & IMAGE_SCN_MEM_WRITE) != 0 && (section.characteristics & IMAGE_SCN_MEM_EXECUTE) != 0)
      faults.push_back("writable and executable: " + section.name);
  }
  for (const std::string& library : image.ImportedLibraries()) {
    const std::string name = Lower(library);
    if (std::find(std::begin(kSystemLibraries), std::end(kSystemLibraries), name) == std::end(kSystemLibraries))
      faults.push_back("imports " + name);
  }
  return faults;
}

std::string Describe(const PeImage& image) {
  char line[160];
  snprintf(line, sizeof line, "DllCharacteristics 0x%04X, file characteristics 0x%04X, %u relocations\n",
           image.DllCharacteristics(), image.FileCharacteristics(),
           static_cast<unsigned>(image.RelocatedAddresses().size()));
  std::string text = line;
  for (const PeImage::Section& section : image.Sections()) {
    snprintf(line, sizeof line, "  %-8s 0x%08lX\n", section.name.c_str(), section.characteristics);
    text += line;
  }
  text += "  imports:";
  for (const std::string& library : image.ImportedLibraries()) text += " " + library;
  return text + "\n";
}

TEST(ExecutableImage, IsRelocatableKeepsDataOutOfExecutionAndImportsOnlySystemLibraries) {
  PeImage image;
  ASSERT_TRUE(image.Load(ShippedProgramPath()));
  printf("Tarvolin.exe: %s", Describe(image).c_str());
  // The reader found what any program has: the probe below looks at real tables.
  std::vector<std::string> imports;
  for (const std::string& library : image.ImportedLibraries()) imports.push_back(Lower(library));
  ASSERT_TRUE(Contains(imports, "kernel32.dll") && Contains(imports, "user32.dll") && Contains(imports, "gdi32.dll"));
  ASSERT_GT(image.Sections().size(), 3u);
  EXPECT_EQ(std::vector<std::string>(), HardeningFaults(image));
  // No transparent-copy or common-controls library by name: either could be picked up from beside the program.
  EXPECT_FALSE(Contains(imports, "msimg32.dll"));
  EXPECT_FALSE(Contains(imports, "comctl32.dll"));
}

TEST(ExecutableImage, TheChecksFindEveryFaultOfAnUnhardenedBuild) {
  PeImage image;
  ASSERT_TRUE(image.Load(SiblingPath("unhardened_control.exe")));
  printf("unhardened_control.exe: %s", Describe(image).c_str());
  const std::vector<std::string> faults = HardeningFaults(image);
  for (const char* fault : {"no random base", "not NX compatible", "relocations stripped", "no relocation section",
                            "no relocation in code", "writable and executable: .wxdata", "imports comctl32.dll",
                            "imports msimg32.dll"})
    EXPECT_TRUE(Contains(faults, fault)) << "not found: " << fault;
}

// The header's checksum is what the platform's own routine computes (ld writes it), and the header
// carries no time stamp, so that two builds of the same sources are the same bytes.
TEST(ExecutableImage, CarriesTheRightChecksumAndNoTimeStamp) {
  DWORD inHeader = 0, computed = 0;
  ASSERT_EQ(static_cast<DWORD>(CHECKSUM_SUCCESS),
            MapFileAndCheckSumA(ShippedProgramPath().c_str(), &inHeader, &computed));
  EXPECT_NE(0u, computed);
  EXPECT_EQ(computed, inHeader);
  HANDLE file = CreateFileA(ShippedProgramPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  BYTE head[512] = {};
  DWORD read = 0;
  ReadFile(file, head, sizeof head, &read, nullptr);
  CloseHandle(file);
  LONG peOffset = 0;
  memcpy(&peOffset, head + 0x3C, sizeof peOffset);
  ASSERT_LT(static_cast<DWORD>(peOffset) + 12, read);
  DWORD timeStamp = 1;
  memcpy(&timeStamp, head + peOffset + 8, sizeof timeStamp);  // IMAGE_FILE_HEADER.TimeDateStamp
  EXPECT_EQ(0u, timeStamp);
}

TEST(SystemLibrary, ComesFromTheSystemFolderByFullPathOrNotAtAll) {
  HMODULE commonControls = LoadSystemLibrary("comctl32.dll");
  ASSERT_NE(nullptr, commonControls);
  EXPECT_EQ(Lower(SystemFolder() + "\\comctl32.dll"), Lower(ModulePath(commonControls)));
  FreeLibrary(commonControls);

  // A library that lies only beside this program: a plain name finds it there, the system folder does not.
  HMODULE beside = LoadLibraryA("test_magenta_banner.dll");
  ASSERT_NE(nullptr, beside) << "the control: a plain name must find the library beside the program";
  FreeLibrary(beside);
  EXPECT_EQ(nullptr, LoadSystemLibrary("test_magenta_banner.dll"));
  EXPECT_EQ(nullptr, LoadSystemLibrary("tarvolin-no-such-library.dll"));

  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_WIN95_CLASSES};
  EXPECT_TRUE(InitSystemCommonControls(&controls));
  WNDCLASSA progressBar;
  EXPECT_TRUE(GetClassInfoA(nullptr, PROGRESS_CLASSA, &progressBar)) << "the control classes were not registered";
  EXPECT_EQ(Lower(SystemFolder() + "\\comctl32.dll"), Lower(ModulePath(GetModuleHandleA("comctl32.dll"))));
}

TEST(SystemLibrary, OnceTheSearchIsRestrictedAPlainNameNoLongerFindsTheProgramsFolder) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (GetProcAddress(kernel, "SetDefaultDllDirectories") == nullptr)
    GTEST_SKIP() << "this system cannot limit the search to the system folder (only the current folder is dropped)";
  HMODULE beside = LoadLibraryA("test_magenta_banner.dll");
  ASSERT_NE(nullptr, beside) << "the control: before, a plain name finds the library beside the program";
  FreeLibrary(beside);
  ASSERT_EQ(nullptr, GetModuleHandleA("test_magenta_banner.dll"));

  RestrictLibrarySearch();
  EXPECT_EQ(nullptr, LoadLibraryA("test_magenta_banner.dll"));
  HMODULE system = LoadLibraryA("comctl32.dll");
  EXPECT_NE(nullptr, system) << "system libraries must still be found by name";
  if (system != nullptr) FreeLibrary(system);
}

// The libraries planted for the test: the colour-keyed copy, the common controls, and the theme library
// that the window manager loads by name once a program has windows.
const char* const kPlanted[] = {"msimg32.dll", "comctl32.dll", "uxtheme.dll"};

// What a run of a program copied into a folder of planted libraries left behind.
struct PlantingResult {
  bool ran = false;
  std::vector<std::string> modulesFromTestFolder;  // loaded modules under the test folder, program aside
  std::vector<std::string> traces;                 // planted libraries whose entry point ran
  bool systemCommonControls = false;               // the system folder's comctl32 is loaded
};

void RemoveFolderTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveFolderTree(folder + "\\" + name);
      else
        DeleteFileA((folder + "\\" + name).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

// Tells Wine's loader to prefer a library file it finds over its own built-in copy, for the planted
// names and for one program name, as the Windows loader does for libraries that are not known
// libraries. Without it Wine runs its built-in code even for a file found beside the program. Wine takes
// this from the registry (WINEDLLOVERRIDES of a child follows the parent's Unix environment); the key
// is removed again afterwards. Elsewhere than Wine the key means nothing.
class PreferFoundLibraries {
 public:
  explicit PreferFoundLibraries(const std::string& exeName) : m_app("Software\\Wine\\AppDefaults\\" + exeName) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, (m_app + "\\DllOverrides").c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
      return;
    for (const char* library : {"msimg32", "comctl32", "uxtheme"})
      RegSetValueExA(key, library, 0, REG_SZ, reinterpret_cast<const BYTE*>("native,builtin"), 15);
    RegCloseKey(key);
  }
  ~PreferFoundLibraries() {
    RegDeleteKeyA(HKEY_CURRENT_USER, (m_app + "\\DllOverrides").c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, m_app.c_str());
  }
  PreferFoundLibraries(const PreferFoundLibraries&) = delete;
  PreferFoundLibraries& operator=(const PreferFoundLibraries&) = delete;

 private:
  std::string m_app;
};

// Copies exeName into a fresh folder, plants the libraries beside it or in the folder it is started in,
// runs it until its window captioned `caption` shows and has painted, and looks at what it loaded.
PlantingResult RunWithPlantedLibraries(const std::string& exeName, const char* caption, bool besideProgram) {
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  const std::string root = std::string(temp) + "tarvolin-planting-" + std::to_string(GetCurrentProcessId());
  const std::string programFolder = root + "\\program", currentFolder = root + "\\current";
  RemoveFolderTree(root);
  CreateDirectoryA(root.c_str(), nullptr);
  CreateDirectoryA(programFolder.c_str(), nullptr);
  CreateDirectoryA(currentFolder.c_str(), nullptr);
  // A name of its own for the copy, so that the loader setting below concerns this copy only.
  const std::string copyName = "planting-" + exeName;
  const std::string exePath = programFolder + "\\" + copyName;
  CopyFileA(SiblingPath(exeName).c_str(), exePath.c_str(), FALSE);
  for (const char* library : kPlanted) {
    const std::string target = (besideProgram ? programFolder : currentFolder) + "\\" + library;
    EXPECT_TRUE(CopyFileA(SiblingPath(std::string("planted\\") + library).c_str(), target.c_str(), FALSE)) << target;
  }

  PlantingResult result;
  {
    PreferFoundLibraries loaderSetting(copyName);
    ChildProcess program;
    if (program.StartAt(exePath, "", currentFolder, nullptr)) {
      HWND window = WaitForWindowOf(program.Id(), caption);
      // Shown and painted (the banner's colour-keyed copy loads its library) before looking.
      result.ran = window != nullptr && PaintAfterQueue(window, kHangGuardMs);
      HMODULE modules[512];
      DWORD bytes = 0;
      if (EnumProcessModules(program.Handle(), modules, sizeof modules, &bytes)) {
        for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
          char path[MAX_PATH] = "";
          GetModuleFileNameExA(program.Handle(), modules[i], path, MAX_PATH);
          const std::string name = Lower(path);
          if (name == Lower(SystemFolder() + "\\comctl32.dll")) result.systemCommonControls = true;
          if (name.compare(0, root.size(), Lower(root)) == 0 && name != Lower(exePath))
            result.modulesFromTestFolder.push_back(path);
        }
      }
      PostMessageA(window, WM_CLOSE, 0, 0);
      EXPECT_TRUE(program.WaitForExit()) << exeName << ": the close request did not end it";
    }
  }
  for (const std::string& folder : {programFolder, currentFolder}) {
    for (const char* library : kPlanted) {
      const std::string trace = folder + "\\" + library + ".ran";
      if (GetFileAttributesA(trace.c_str()) != INVALID_FILE_ATTRIBUTES) result.traces.push_back(trace);
    }
  }
  RemoveFolderTree(root);
  return result;
}

std::string Join(const std::vector<std::string>& list) {
  std::string text;
  for (const std::string& item : list) text += item + " ";
  return text;
}

TEST(PlantedLibraries, AreNotLoadedFromTheProgramsFolderOrTheCurrentFolder) {
  // The control: a program that imports the libraries by name loads the planted ones from its folder,
  // and both probes (the loaded modules, the traces) see it.
  const PlantingResult control = RunWithPlantedLibraries("unhardened_control.exe", "Unhardened control", true);
  ASSERT_TRUE(control.ran);
  printf("control, planted beside it: loaded %s; ran %s\n", Join(control.modulesFromTestFolder).c_str(),
         Join(control.traces).c_str());
  ASSERT_GE(control.traces.size(), 2u) << "the probe does not see a planted library being loaded";
  ASSERT_FALSE(control.modulesFromTestFolder.empty());

  StandInViewer viewer;
  ASSERT_TRUE(viewer.Open()) << "the stand-in viewer's window did not show";
  for (bool beside : {true, false}) {
    const PlantingResult run = RunWithPlantedLibraries("Tarvolin.exe", "Tarvolin", beside);
    const char* where = beside ? "beside the program" : "in the current folder";
    ASSERT_TRUE(run.ran) << where;
    printf("Tarvolin.exe, planted %s: loaded %s; ran %s\n", where, Join(run.modulesFromTestFolder).c_str(),
           Join(run.traces).c_str());
    EXPECT_EQ(std::vector<std::string>(), run.modulesFromTestFolder) << where;
    EXPECT_EQ(std::vector<std::string>(), run.traces) << where;
    EXPECT_TRUE(run.systemCommonControls) << "the system's common controls were not loaded, " << where;
  }
  // Under Wine the current folder comes after the system folder in the search, so the control does not
  // load planted system libraries from there either; it is run only to report what this system does.
  const PlantingResult controlInCurrentFolder =
      RunWithPlantedLibraries("unhardened_control.exe", "Unhardened control", false);
  printf("control, planted in its current folder: loaded %s; ran %s\n",
         Join(controlInCurrentFolder.modulesFromTestFolder).c_str(), Join(controlInCurrentFolder.traces).c_str());
  viewer.Close();
}

}  // namespace
