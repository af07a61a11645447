// brindle-tool: Brindle's command-line companion.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/AppFolders.h"
#include "tools/Commands.h"

namespace {

const char kUsage[] =
    "Usage: brindle-tool COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  check FILE      load FILE as Brindle does at start-up and print every message box\n"
    "                  it would show (title line, then text); exit 0 when there was none,\n"
    "                  1 when there was at least one, 2 when FILE cannot be opened\n"
    "  dump FILE       load FILE (messages to standard error) and write the bytes Brindle\n"
    "                  would save to standard output\n"
    "  add-rom ROM... --db FILE\n"
    "                  install each ROM into FILE as Brindle's Install ROM command does\n"
    "                  (each ROM in an archive, .zip, .7z or .gz, or ARCHIVE#MEMBER),\n"
    "                  printing the same messages, and write FILE once at the end when\n"
    "                  anything was added. Exit 0 when every ROM was added, 1 when any was\n"
    "                  refused or FILE is in use by Brindle's window (it would write over\n"
    "                  FILE) or a play; another add-rom or install on FILE is waited for\n"
    "  install PATCH... --db FILE\n"
    "                  install each patch (.ips, .bps or .ups) into FILE as Brindle's Add\n"
    "                  Patch command does, with the information of its .dat file and the\n"
    "                  same messages; a file that is not a well-formed patch is refused,\n"
    "                  and a patch whose .dat file is missing, faulty or incomplete is\n"
    "                  left for Brindle's Patch Information dialog. FILE is written once\n"
    "                  at the end when anything was added. Exit 0 when every patch was\n"
    "                  installed, 1 when any was not or FILE is in use, as for add-rom\n"
    "  add-set NAME PATCH... --db FILE\n"
    "                  make a patch set named NAME in FILE of 2 to 10 installed patches\n"
    "                  of one ROM, given by their installed paths in the order they are\n"
    "                  applied; it plays as one entry and saves as NAME.srm in the folder\n"
    "                  of its first patch. Exit 0 when the set was added, 1 when it was\n"
    "                  refused (the message says why) or FILE is in use, as for add-rom\n"
    "  add-folder DIR... --db FILE\n"
    "                  add every ROM (.smc, .sfc, .fig, .swc, and those in .zip, .7z and\n"
    "                  .sfc.gz archives) and patch (.ips, .bps, .ups with its .dat file)\n"
    "                  below each DIR as add-rom and install would,\n"
    "                  reading ROMs on every processor, and print one summary: what was\n"
    "                  added, what was there already, the patches that need their\n"
    "                  information entered in Brindle, and each file refused with the\n"
    "                  reason. A progress line is shown on a terminal; Ctrl+C stops after\n"
    "                  the file in hand and keeps what was added. FILE is written once at\n"
    "                  the end. Exit 0 when everything found is in FILE, 1 when anything\n"
    "                  was refused or left out or FILE is in use, as for add-rom\n"
    "  remove PATH... --db FILE\n"
    "                  remove from FILE each installed patch or ROM whose file is PATH (a\n"
    "                  ROM in an archive as ARCHIVE#MEMBER) as Brindle's Remove commands\n"
    "                  do: the patch sets that use a removed patch go with it (each is\n"
    "                  named), and no file on disk is touched. FILE is written once at the\n"
    "                  end when anything was removed. Exit 0 when every PATH was removed,\n"
    "                  1 when any is not in FILE or FILE is in use, as for add-rom\n"
    "  remove --set NAME --db FILE\n"
    "                  remove the patch set NAME from FILE; its patches stay\n"
    "  md5 FILE...     print the MD5 digest of each FILE as Brindle computes it, in the\n"
    "                  layout of md5sum; exit 1 when a FILE cannot be read\n"
    "  identify ROM... print what installing each ROM file would record: size word, size\n"
    "                  text, internal name and digest, separated by tabs; exit 1 when a\n"
    "                  ROM cannot be read or is too large. An archive (.zip, .7z, .gz)\n"
    "                  gives a line for each ROM in it, in its order; ARCHIVE#MEMBER\n"
    "                  names one\n"
    "  play PATCH --db FILE\n"
    "                  load FILE and play the installed patch PATCH (IPS, BPS or UPS): run\n"
    "                  the emulator on its ROM and put everything back; message boxes\n"
    "                  are printed, questions answered on standard input (y/n). FILE is\n"
    "                  never written, but held against other writers while the play runs;\n"
    "                  brindle.play beside it records each step of the play before it is\n"
    "                  taken.\n"
    "                  Exit 0 when the play ran to its end, 1 when it stopped early or\n"
    "                  FILE is in use, 2 when FILE or the patch is not there. The emulator\n"
    "                  is the one FILE's [vars] choose (Brindle's Options, emulator page,\n"
    "                  sets them):\n"
    "                    ZSNES      Emulator= (or zsnes) with ZSNES, ZSNESVer, ZExecutable\n"
    "                               and ZConfig. Debian 12: zsnes:i386 (/usr/bin/zsnes,\n"
    "                               ZSNESVer=zsnesl). IPS patches\n"
    "                    RetroArch  Emulator=retroarch, RetroArch=/usr/bin/retroarch,\n"
    "                               RetroArchCore=/usr/lib/x86_64-linux-gnu/libretro/\n"
    "                               bsnes_mercury_balanced_libretro.so. Debian 12: retroarch\n"
    "                               and libretro-bsnes-mercury-balanced (or -accuracy,\n"
    "                               -performance). IPS, BPS and UPS patches\n"
    "                    Mednafen   Emulator=mednafen, Mednafen=/usr/games/mednafen.\n"
    "                               Debian 12: mednafen. IPS patches\n"
    "                    Other      Emulator=other, OtherCommand=snes9x-gtk %ROM% (any\n"
    "                               emulator that loads <game>.ips beside the game),\n"
    "                               OtherFormats=ips,bps,ups (the formats it loads; empty:\n"
    "                               IPS). It is given a link named after the patch,\n"
    "                               beside the patch, and saves where its settings say\n"
    "                  RetroArch and Mednafen save into the patch's folder unless\n"
    "                  UseSaveDir=1; ZSNES always does\n"
    "  play --set NAME --db FILE\n"
    "                  play the patch set NAME as play plays a patch: its patches applied\n"
    "                  in order, its saves NAME.srm (and states) in the folder of its first\n"
    "                  patch. RetroArch is given each patch under the names of its series\n"
    "                  (NAME.ips, NAME.bps1, ...); ZSNES and Mednafen one IPS patch made\n"
    "                  for the play (for ZSNES as NAME.ips beside the first patch, removed\n"
    "                  after it); the other emulator one BPS or IPS patch of the result,\n"
    "                  NAME.bps or NAME.ips beside the first patch. Exit codes as for play\n"
    "  recover --db FILE\n"
    "                  put back what a play that was cut short (by a crash or a kill) left\n"
    "                  changed, as recorded in brindle.play beside FILE; a play whose\n"
    "                  emulator (or player) still runs is left alone; exit 1 when FILE is\n"
    "                  in use\n"
    "\n"
    "Options:\n"
    "  --help          show this help and exit\n"
    "  --version       show the version and exit\n";

}  // namespace

int UsageError(const std::string& message) {
  std::fprintf(stderr, "brindle-tool: %s\nTry 'brindle-tool --help' for more information.\n",
               message.c_str());
  return 2;
}

int main(int argc, char** argv) {
  if (argc < 2)
    return UsageError("no command given");
  const std::string command = argv[1];
  const Args args(argv + 2, argv + argc);
  if (command == "--help" || command == "-h") {
    std::fputs(kUsage, stdout);
    // The window's database, which --db names for the commands that take one.
    std::printf("\nBrindle's database: %s/brindle.dat\n", GetDatabaseDir().c_str());
    return 0;
  }
  if (command == "--version") {
    std::printf("brindle-tool %s\n", BRINDLE_VERSION);
    return 0;
  }
  if (command == "check")
    return RunCheck(args);
  if (command == "dump")
    return RunDump(args);
  if (command == "add-rom")
    return RunAddRom(args);
  if (command == "install")
    return RunInstall(args);
  if (command == "add-set")
    return RunAddSet(args);
  if (command == "add-folder")
    return RunAddFolder(args);
  if (command == "remove")
    return RunRemove(args);
  if (command == "md5")
    return RunMd5(args);
  if (command == "identify")
    return RunIdentify(args);
  if (command == "play")
    return RunPlay(args);
  if (command == "recover")
    return RunRecover(args);
  return UsageError("unknown command '" + command + "'");
}
