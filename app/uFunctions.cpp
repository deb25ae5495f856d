// Shared routines of the program: storage paths, start-up, settings file and message boxes.
#include "app/uFunctions.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "app/dMain.h"
#include "app/fMain.h"
#include "app/lyrics/lyricstable.h"
#include "dataset/db.h"
#include "platform/exceptions.h"
#include "platform/files.h"
#include "platform/sysutils.h"

using namespace framework;

namespace {

// Buffer of one settings value read (GetPrivateProfileStringA cuts longer values).
constexpr DWORD kSettingBufferSize = 2048;

}  // namespace

std::string ExeDirectory() {
  std::vector<char> path(MAX_PATH);
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      std::string full(path.data(), n);
      size_t slash = full.find_last_of("\\/");
      return slash == std::string::npos ? std::string() : full.substr(0, slash);
    }
    path.resize(path.size() * 2);
  }
}

std::string DatabaseDirectory() { return ExeDirectory() + "\\Database"; }
std::string SettingsDirectory() { return ExeDirectory() + "\\Settings"; }
std::string TableFileName() { return ExeDirectory() + "\\Database\\Lyrics.roZoreda"; }
std::string SettingsFileName() { return ExeDirectory() + "\\Settings\\Doziviz.Settings"; }

void OpenDatabase() {
  // A directory that cannot be created is not reported here: the load, save or settings
  // access that needs it fails with its own message.
  if (!platform::DirectoryExists(DatabaseDirectory()))
    platform::CreateDirectory(DatabaseDirectory());
  if (!platform::DirectoryExists(SettingsDirectory()))
    platform::CreateDirectory(SettingsDirectory());

  if (platform::FileExists(TableFileName()))
    dModule->cdsMain().LoadPacketFile(TableFileName());
  else
    CreateDatabase();

  int index = StrToInt(ReadSetting("LyricSearch", "FieldIndex", "0"));
  // Selected directly on the control: no change event, nothing written back.
  frmMain->cbField->SetItemIndex(index >= 0 && index <= 2 ? index : -1);

  SetDefaultOrder();
  dModule->cdsMain().First();
}

void CreateDatabase() {
  db::TClientDataSet& table = dModule->cdsMain();
  lyrics::DefineLyricsFields(table.FieldDefs());
  table.CreateDataSet();
  table.SavePacketFile(TableFileName(), db::dfBinary);
}

void SetDefaultOrder() { dModule->cdsMain().SetIndexFieldNames("Artist;Title"); }

std::string ReadSetting(const std::string& section, const std::string& key,
                        const std::string& default_value) {
  std::vector<char> buffer(kSettingBufferSize);
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), default_value.c_str(),
                                     buffer.data(), kSettingBufferSize, SettingsFileName().c_str());
  return std::string(buffer.data(), n);
}

void WriteSetting(const std::string& section, const std::string& key, const std::string& value) {
  std::string path = SettingsFileName();
  if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str()))
    throw Exception(db::Fmt("Unable to write to %s", path));
  // Flushes the INI layer's cache, so the file holds the value now.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

int ShowMessageBox(const std::string& caption, const std::string& text, TMsgDlgType kind,
                   TMsgDlgButtons buttons) {
  std::unique_ptr<TMessageForm> dialog(CreateMessageDialog(text, kind, buttons));
  dialog->SetCaption(caption);
  return dialog->ShowModal();
}
