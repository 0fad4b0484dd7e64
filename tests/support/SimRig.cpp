// SPDX-License-Identifier: MIT
#include "SimRig.h"

namespace kv::test {

SimRig::SimRig(const QString& model, int portNumber)
    : device(model),
      port(clock),
      pump(clock, port),
      link(port, clock, pump, [this](const QString& m) { log << m; }),
      programmer(link) {
    programmer.setEventSink([this](const ProgrammerEvent& event) {
        if (event.isLogLine())
            log << event.text;
    });
    port.attach(portNumber, &device);
    port.setPortNumber(portNumber);
    port.setOpen(true);
}

}  // namespace kv::test
