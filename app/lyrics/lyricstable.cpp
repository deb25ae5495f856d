// The lyrics table's field definitions.
#include "app/lyrics/lyricstable.h"

namespace lyrics {

void DefineLyricsFields(db::TFieldDefs& defs) {
  defs.Clear();
  defs.Add("Id", db::ftAutoInc);
  defs.Add("Artist", db::ftString, kArtistSize);
  defs.Add("Album", db::ftString, kAlbumSize);
  defs.Add("Title", db::ftString, kTitleSize);
  defs.Add("Lyric", db::ftMemo);
  defs.Add("SongFileName", db::ftString, kSongFileNameSize);
}

}  // namespace lyrics
