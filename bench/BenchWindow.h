#pragma once

// The start shared by the benchmarks that time commands in the real window on a large C file.

#include "BenchSupport.h"
#include "ScintillaView.h"
#include "frmMain.h"

#include <QApplication>
#include <QFile>
#include <QtTest>

#include <cstdio>

namespace bench {

// Writes a generated C file of BENCH_MB megabytes (else the default) into folder; empty on failure.
inline QString writeLargeC(const QTemporaryDir &folder, int defaultMegabytes, int *megabytes = nullptr)
{
    const int mb = qEnvironmentVariableIntValue("BENCH_MB") > 0 ? qEnvironmentVariableIntValue("BENCH_MB") : defaultMegabytes;
    if (megabytes)
        *megabytes = mb;
    const QString path = folder.filePath(QStringLiteral("big.c"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(generateC(qint64(mb) * 1000 * 1000, false)) < 0)
        return {};
    return path;
}

// Shows the window and opens path in it as a user would, without the questions a large file asks.
inline void openShown(frmMain &window, const QString &path)
{
    window.settings().OpenFileInThirdPartyEditor = false;
    window.settings().PromptWarningLargeFile = false;
    window.settings().InsertPairs = false;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::printf("window not exposed\n");
    window.ReadFile(path, false);
    window.txtText()->setFocus();
}

} // namespace bench
