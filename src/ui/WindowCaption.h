#pragma once

#include <QString>

// The main window's caption; other processes find the window that shows a file by it.
QString windowCaption(const QString &path, bool saved, const QString &title);
