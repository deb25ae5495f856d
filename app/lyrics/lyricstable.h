// The lyrics table's one definition: the six fields the program creates a new collection with
// and the packet tool writes new tables with. Used by the program's start-up and by dzpacket.
// Stateless.
#pragma once

#include "dataset/dbfields.h"

namespace lyrics {

// Field sizes of the lyrics table (characters).
constexpr int kArtistSize = 180;
constexpr int kAlbumSize = 180;
constexpr int kTitleSize = 180;
constexpr int kSongFileNameSize = 500;

// Clears `defs` and adds Id (auto-increment), Artist, Album, Title (strings of 180), Lyric
// (memo) and SongFileName (string of 500), in this order; none required, no default, no index.
void DefineLyricsFields(db::TFieldDefs& defs);

}  // namespace lyrics
