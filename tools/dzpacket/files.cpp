// dzpacket new, verify, convert and compact: whole tables loaded and saved through the client
// dataset's packet file load and save, as the program does.
#include <string>

#include "app/lyrics/lyricstable.h"
#include "dataset/clientdataset.h"
#include "dataset/dberrors.h"
#include "platform/files.h"
#include "tableengine/dsbase.h"
#include "tools/dzpacket/tool.h"

namespace dzpacket {

namespace {

int RunNew(const ParsedArgs& args, ToolIo& io) {
  // A collection is never replaced by an empty table by mistake.
  if (platform::FileExists(args.positional[0]))
    return io.Fail("\"" + args.positional[0] + "\" exists already; new writes only new files");
  db::TClientDataSet ds(kDataSetName);
  lyrics::DefineLyricsFields(ds.FieldDefs());
  ds.CreateDataSet();
  ds.SavePacketFile(args.positional[0], db::dfBinary);
  return kExitOk;
}

int RunVerify(const ParsedArgs& args, ToolIo& io) {
  const std::string& path = args.positional[0];
  db::TClientDataSet ds(kDataSetName);
  try {
    ds.LoadPacketFile(path);
  } catch (const EDBClient& refused) {
    return io.Refused("verify", path, ShownMessage(refused), ds.LoadFault());
  }
  const dsengine::DSBASE& table = *ds.DSBase();
  io.out << "ok\n"
         << "versions: " << table.NextRecordNumber() - 1 << '\n'
         << "visible records: " << ds.RecordCount() << '\n'
         << "change-log entries: " << table.Log().Size() << '\n';
  return kExitOk;
}

bool EndsWithXml(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ext = name.substr(name.size() - 4);
  for (char& c : ext) c = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return ext == ".xml";
}

int RunConvert(const ParsedArgs& args, ToolIo& io) {
  const int chosen = args.Has("--binary") + args.Has("--xml") + args.Has("--utf8-xml");
  if (chosen > 1) return io.Usage("give at most one of --binary, --xml and --utf8-xml");
  const std::string& out = args.positional[1];
  db::TClientDataSet ds(kDataSetName);
  ds.LoadPacketFile(args.positional[0]);
  if (args.Has("--binary") && EndsWithXml(out)) {
    // A file save writes XML to any name ending in ".xml"; the explicit choice wins here.
    const dspacket::ByteArray packet = ds.ExportTable(0);
    std::string reason;
    if (!platform::ReplaceFileAtomically(out, packet.data(), packet.size(), &reason))
      return io.Fail("Cannot create file \"" + out + "\". " + reason);
    return kExitOk;
  }
  ds.SavePacketFile(out, args.Has("--utf8-xml") ? db::dfXMLUTF8
                         : args.Has("--xml")    ? db::dfXML
                                                : db::dfBinary);
  return kExitOk;
}

// Forgets the table's history so that an export writes its visible records only: each visible
// version becomes an unchanged record (row state 0), the change log is emptied and change
// logging is switched off (an export then leaves superseded, deleted and hidden versions out).
// The auto-increment counter and every other table and field parameter stay as they are.
void ForgetHistory(dsengine::DSBASE& table) {
  platform::LockScope guard(table.Lock());
  for (uint32_t rec = 1; rec < table.NextRecordNumber(); ++rec)
    if (table.Visible(rec)) table.SetAttribute(rec, 0);
  table.MutableLog().Clear();
  table.SetProp(dsengine::dspropLOGCHANGES, 0);
}

int RunCompact(const ParsedArgs& args, ToolIo& /*io*/) {
  db::TClientDataSet ds(kDataSetName);
  ds.LoadPacketFile(args.positional[0]);
  ForgetHistory(*ds.DSBase());
  ds.SavePacketFile(args.positional[1], db::dfBinary);
  return kExitOk;
}

const CommandSpec kNewSpec{"new",
                           "usage: dzpacket new FILE\n"
                           "\n"
                           "Writes a new, empty lyrics table (Id, Artist, Album, Title, Lyric,\n"
                           "SongFileName) as a binary data packet: the file the program writes\n"
                           "on its first start. A name ending in .xml gets the XML form.\n"
                           "An existing file is never replaced (exit status 1).\n",
                           1,
                           1,
                           {}};

const CommandSpec kVerifySpec{"verify",
                              "usage: dzpacket verify FILE\n"
                              "\n"
                              "Loads the table completely, as the program does at start-up, and\n"
                              "prints \"ok\" with the number of stored versions, visible records\n"
                              "and change-log entries; or the program's message, with the reason\n"
                              "for a refused packet (what failed, and where) in parentheses, and\n"
                              "exit status 1.\n",
                              1,
                              1,
                              {}};

const CommandSpec kConvertSpec{
    "convert",
    "usage: dzpacket convert IN OUT [--binary|--xml|--utf8-xml]\n"
    "\n"
    "Loads IN (binary or XML) and writes the whole table, history included, to OUT:\n"
    "  --binary     binary data packet\n"
    "  --xml        XML in the 8-bit code page\n"
    "  --utf8-xml   XML in UTF-8\n"
    "Without an option OUT's name decides: XML when it ends in .xml, else binary.\n",
    2,
    2,
    {{"--binary", false}, {"--xml", false}, {"--utf8-xml", false}}};

const CommandSpec kCompactSpec{"compact",
                               "usage: dzpacket compact IN OUT\n"
                               "\n"
                               "Writes IN's visible records to OUT without their history: no\n"
                               "superseded or deleted versions and no change log. The next Id\n"
                               "and every table and field parameter stay as they were. OUT is\n"
                               "binary unless its name ends in .xml.\n",
                               2,
                               2,
                               {}};

}  // namespace

const Command kNewCommand{&kNewSpec, RunNew};
const Command kVerifyCommand{&kVerifySpec, RunVerify};
const Command kConvertCommand{&kConvertSpec, RunConvert};
const Command kCompactCommand{&kCompactSpec, RunCompact};

}  // namespace dzpacket
