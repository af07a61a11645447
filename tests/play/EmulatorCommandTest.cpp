#include "play/EmulatorCommand.h"

#include <gtest/gtest.h>

#include "support/ScopedEnv.h"

using Words = std::vector<std::string>;

TEST(EmulatorCommand, SplitsAsAShellWouldAndPutsInTheNamesWordForWord) {
  ScopedEnv home("HOME", "/home/me");
  // Quotes, backslashes, empty words, line continuations, and "~" only where a shell takes it.
  EXPECT_EQ(SplitCommandWords("  snes9x-gtk\t%ROM%  "), (Words{"snes9x-gtk", "%ROM%"}));
  EXPECT_EQ(SplitCommandWords("'/opt/my emu/ares' --system \"Super Famicom\" %ROM%"),
            (Words{"/opt/my emu/ares", "--system", "Super Famicom", "%ROM%"}));
  EXPECT_EQ(SplitCommandWords(R"(a\ b "c\"d\\e\x" 'f\g' "" '' h\
i)"),
            (Words{"a b", "c\"d\\e\\x", "f\\g", "", "", "hi"}));
  EXPECT_EQ(SplitCommandWords("~/bin/emu ~ '~/x' a~/b --x=~/y"),
            (Words{"/home/me/bin/emu", "/home/me", "~/x", "a~/b", "--x=~/y"}));
  EXPECT_EQ(SplitCommandWords("emu \"\\$HOME\" '$a|b' a\\;b"),
            (Words{"emu", "$HOME", "$a|b", "a;b"}));
  EXPECT_EQ(SplitCommandWords(""), Words{});

  // What only a shell would make sense of, and open quotes, are refused with a reason.
  std::string error;
  for (const char* bad : {"emu %ROM% > log", "emu %ROM% | tee", "emu $HOME/%ROM%", "emu \"$HOME\"",
                          "emu `x`", "emu %ROM% &", "emu 'open", "emu \"open"}) {
    error.clear();
    EXPECT_FALSE(SplitCommandWords(bad, &error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }

  // Each placeholder anywhere in a word; a name holding a placeholder's text is left as it is,
  // and a name with blanks stays one word.
  const CommandNames names{"/p/My %PATCH%.sfc", "/p/My Hack.ips", "/p", "My Hack"};
  const Words words =
      *SplitCommandWords("emu --rom=%ROM% %PATCH% %PATCHDIR%/saves \"%BASENAME%\" %rom% %ROM");
  EXPECT_TRUE(HasRomPlaceholder(words));
  EXPECT_FALSE(HasRomPlaceholder(*SplitCommandWords("emu %rom% %PATCH%")));
  EXPECT_EQ(SubstituteCommand(words, names),
            (Words{"emu", "--rom=/p/My %PATCH%.sfc", "/p/My Hack.ips", "/p/saves", "My Hack",
                   "%rom%", "%ROM"}));
}
