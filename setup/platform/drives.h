#pragma once

#include <QStringList>

namespace setup::platform {

// The drives a locator offers on this machine: the file-system root first, then
// the root folders of the other mounted volumes that are ready, sorted.
QStringList driveRoots();

// The entry of drives that holds path (the longest root that is a prefix of it),
// or the first entry when none does.
QString driveOf(const QString& path, const QStringList& drives);

}  // namespace setup::platform
