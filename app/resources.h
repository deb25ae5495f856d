// Names of the program's resources that the skin engine loads (Doziviz.rc.in lists them with
// their files): the default skin archive (the engine's SkinData), the check mark of checked
// menu items and the strip of MDI caption buttons.
#pragma once

constexpr char kSkinResource[] = "DOZIVIZ_SKIN";                // RCDATA: the skin archive
constexpr char kMenuCheckedBitmap[] = "ROVOVAD_MENU_CHECKED";   // 16 x 16, white is masked
constexpr char kMdiControlsBitmap[] = "ROVOVAD_MDI_CONTROLER";  // 3 frames: min, restore, close
constexpr int kMdiControlFrames = 3;
