#include "app/CBrindleApp.h"

#include "app/CInstanceChannel.h"
#include "app/CSignalBridge.h"
#include "platform/CInstanceLock.h"
#include "platform/CommandLine.h"

namespace {

constexpr char kOnlyOneInstance[] =
    "Only one instance of Brindle can be opened at one time. Please use the currently open "
    "instance to load new patch files.";

}  // namespace

int CBrindleApp::Run(const std::vector<std::string>& arguments) {
  m_commandLineFile = ::CommandLineFile(arguments, m_env.currentFolder);

  const CInstanceLock::Result lock =
      m_env.lock ? m_env.lock->Acquire() : CInstanceLock::Result::Acquired;
  if (lock == CInstanceLock::Result::HeldByAnother) {
    const bool found = CInstanceChannel::RaiseRunningInstance(m_env.channelName, 1000,
                                                              CInstanceChannel::StartToken());
    if (!m_commandLineFile.empty()) {
      // The file is not handed over: the running copy may be in the middle of a game.
      if (found) {
        m_env.prompt->Ask({kOnlyOneInstance, "Brindle Warning", BoxIcon::Warning, BoxButtons::Ok});
      } else {
        m_env.prompt->Ask({kOnlyOneInstance, kAppTitle, BoxIcon::None, BoxButtons::Ok});
      }
    }
    return 0;
  }
  // Without a lock at all (no runtime folder, say) this copy goes on as the only one.

  CInstanceChannel channel("SNES Brindle", m_env.channelName);
  // Listening first removes the channel's old socket, which, unless this copy holds the lock,
  // may be a running copy's.
  if (lock == CInstanceLock::Result::Acquired)
    channel.Listen();
  CMainDlg window(*m_env.prompt, m_env.window);
  CSignalBridge signalBridge;
  QObject::connect(&signalBridge, &CSignalBridge::TerminationRequested, &window,
                   [&window](int) { window.CloseWithoutAnimation(); });
  if (window.Initialize(m_commandLineFile))
    window.Run();
  window.Shutdown();
  return 0;
}
