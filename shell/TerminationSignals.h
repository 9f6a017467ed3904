#pragma once

#include <QObject>

class QSocketNotifier;

namespace qm::shell {

// While it lives, SIGTERM, SIGINT and SIGHUP end the message loop, so that the program leaves as
// after the close tab: the window goes and the connection is closed. A dialog open at that moment
// returns without an answer, and nothing more is written.
//
// Made once the connection is open: the Firebird client puts handlers of its own on SIGTERM and
// SIGINT at its first attachment, which only shut its connections down and leave the program
// running; these replace them, and the client does not put its own back when it attaches again.
class TerminationSignals : public QObject {
public:
    TerminationSignals();
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // The signal that ended the loop; 0 while none came.
    static int received();

private:
    void leave();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace qm::shell
