// Shared routines of the program: the storage paths (rebuilt from the executable's directory at
// every use), the start-up routine OpenDatabase with CreateDatabase and SetDefaultOrder, the
// settings file (ReadSetting/WriteSetting through the INI API) and ShowMessageBox. They reach
// the main window and the data module through frmMain and dModule. UI thread only.
#pragma once

#include <string>

#include "framework/msgdialog.h"

// The directory of the running program file, without a trailing separator.
std::string ExeDirectory();
std::string DatabaseDirectory();  // <exe dir>\Database
std::string SettingsDirectory();  // <exe dir>\Settings
std::string TableFileName();      // <exe dir>\Database\Lyrics.roZoreda
std::string SettingsFileName();   // <exe dir>\Settings\Doziviz.Settings

// Start-up, from the main window's show event: creates the two directories when missing, loads
// the table file (or creates and saves an empty table), restores the search field from the
// settings, orders the table by "Artist;Title" and moves to its first record. An error stops
// the remaining steps and goes to the caller (the framework's error box).
void OpenDatabase();
// Defines the six fields of the lyrics table, creates it empty and saves it to the table file.
void CreateDatabase();
// Orders the lyrics table by "Artist;Title".
void SetDefaultOrder();

// The value of `key` in `section` of the settings file, or `default_value` when the file, the
// section or the key is missing (values longer than 2047 characters come back cut).
std::string ReadSetting(const std::string& section, const std::string& key,
                        const std::string& default_value);
// Writes the value (creating the file and section when missing); raises "Unable to write to %s"
// with the settings file's path when the file cannot be written.
void WriteSetting(const std::string& section, const std::string& key, const std::string& value);

// Shows a message dialog of `kind` with `buttons` under `caption`; returns the button's result.
int ShowMessageBox(const std::string& caption, const std::string& text, framework::TMsgDlgType kind,
                   framework::TMsgDlgButtons buttons);
