#pragma once

#include "TextCodec.h"

#include <QString>

#include <optional>

// The file a window opens first, scanned and the widget's memory for its text made ready on a
// thread of its own while the window is still being built: for a large file each takes about as
// long as building the window, and the window's thread would otherwise do both after it.
namespace LoadPreparation {

// Starts preparing path when it names a regular file large enough to be worth it.
void start(const QString &path);

// The plan made for the file open on fd, once the preparation is done, when fd is the file that
// was prepared and it has not changed since (same device, inode, size and time); nullopt else.
std::optional<DecodePlan> take(int fd);

// Waits for the preparation and lets go of the memory no load took.
void finish();

// The room the widget is given for a text of this many bytes: a widget filled to the byte copies
// its whole text and styles to grow at the first key.
qint64 widgetRoom(qint64 textBytes);

} // namespace LoadPreparation
