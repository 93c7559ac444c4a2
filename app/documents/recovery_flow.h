// What keeps a writer's work when the editor does not end by its own exit:
// an end asked by a signal, a mark left by a killed editor, a recovery file
// offered when its document is opened again.
#pragma once

#include "app/shell/application.h"

namespace rix {

// SIGTERM, SIGHUP, SIGINT or SIGQUIT (a desktop session ending, a terminal
// closing, Ctrl+C or Ctrl+\ typed in it), from the event loop: nobody is
// there to answer, so nothing is asked. A changed document is written
// whole into its recovery file beside it (document/recovery.h), then the
// process ends as after 終了: the in-use mark is given back, the instance
// leaves the registry, the settings are written. What happened is printed on standard error. The caller turns the
// message service to standard error first (install_messages(nullptr)): no
// box may wait now.
void end_on_signal(Application& app, int signal_number);

// At the start: every in-use mark left by an editor that is gone (killed,
// crashed) is given back, each after a notice naming the file. Returns how
// many were given back.
int give_back_stale_marks(InstanceRegistry& registry);

// After the document was opened with its mark and before it is loaded: when
// recovery files of it exist, the newest is offered (a yes/no question).
// Yes makes the recovery file the text that is loaded (the document keeps
// its name and mark; the recovery file goes once the text is saved); No
// loads the document as it is and leaves the recovery file alone. True when
// the recovery file was taken.
bool offer_recovery(Application& app);
// After the load of a recovered text: the document differs from its file.
void after_recovered_load(Application& app);

}  // namespace rix
