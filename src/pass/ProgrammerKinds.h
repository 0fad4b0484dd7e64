// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <memory>

namespace kv {

class Programmer;
class ProgrammerLink;

// One kind of programmer the front ends can drive over a serial link.
struct ProgrammerKind {
    QString name;  // what --programmer and the tests call it
    QString summary;
    std::function<std::unique_ptr<Programmer>(ProgrammerLink& link)> make;
};

// Every kind, the default first. A new implementation lives in a folder of
// its own and is added here with one row (see CONTRIBUTING.md).
const QList<ProgrammerKind>& programmerKinds();
// nullptr for an unknown name.
const ProgrammerKind* findProgrammerKind(const QString& name);

}  // namespace kv
