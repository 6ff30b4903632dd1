#pragma once

#include <QString>

// The markup for a link to a file named by its bare file name: an image, a style sheet or an anchor.
QString MakeFileLink(const QString &path, const QString &text);
