#include "StatusBar.h"

#include "EditorSurface.h"
#include "KeyboardState.h"
#include "Settings.h"

#include <QEvent>
#include <QLabel>
#include <QLocale>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>

StatusBar::StatusBar(QMainWindow *window, const Settings &settings)
    : QObject(window)
    , m_settings(settings)
{
    QStatusBar *bar = window->statusBar();
    bar->setObjectName(QStringLiteral("sBar"));
    const auto label = [window, bar](const char *name, const QString &text, bool permanent) {
        auto *l = new StatusField(text, window);
        l->setObjectName(QLatin1String(name));
        if (permanent) {
            l->setFrameShape(QFrame::StyledPanel);
            l->setAlignment(Qt::AlignCenter);
            l->setSizedToText(true);
            bar->addPermanentWidget(l);
        } else {
            bar->addWidget(l, 1);
        }
        return l;
    };
    lblToolTip = label("lblToolTip", QString(), false);
    lblXY = label("lblXY", QStringLiteral("1:1"), true);
    lblSize = label("lblSize", QString(), true);
    lblOS = label("lblOS", QStringLiteral("UNIX"), true);
    lblUC = label("lblUC", QStringLiteral("ASCII"), true);
    lblINS = label("lblINS", QStringLiteral("INS"), true);
    lblCaps = label("lblCaps", QStringLiteral("CAPS"), true);
    lblCaps->setVisible(false);
    lblToolTip->setAnnounced(true);
    lblOS->installEventFilter(this);
    lblUC->installEventFilter(this);

    tmrToolTip = new QTimer(this);
    tmrToolTip->setObjectName(QStringLiteral("tmrToolTip"));
    tmrToolTip->setInterval(700);
    connect(tmrToolTip, &QTimer::timeout, this, &StatusBar::tick);
}

qint64 StatusBar::savedBytes(const EditorSurface &s, int start, int length, const SavedForm &form)
{
    const bool whole = start == 0 && length == s.textLength();
    const qint64 breaks = form.unixEndings ? s.getLineFromChar(start + length) - s.getLineFromChar(start) : 0;
    switch (form.encoding) {
    case TextEncoding::Utf16:
        return (whole ? 2 : 0) + 2 * (qint64(length) - breaks);
    case TextEncoding::SingleByte:
        return qint64(length) - breaks;
    case TextEncoding::Utf8:
        break;
    }
    return (whole && form.bom ? 3 : 0) + s.utf8Size(start, length) - breaks;
}

void StatusBar::showDocumentChange(const EditorSurface &s, const SavedForm &form)
{
    showCaret(s, form);
    if (form.encoding == TextEncoding::Utf8)
        lblUC->setText(encodingLabel(TextEncoding::Utf8, s.utf8Size(0, s.textLength()) == s.textLength()));
}

void StatusBar::showCaret(const EditorSurface &s, const SavedForm &form)
{
    const int start = s.selStart();
    const int line = s.getLineFromChar(start);
    const int column = start - s.lineIndex(line) + 1;
    QString xy = QStringLiteral("%1:%2").arg(line + 1).arg(column);
    if (s.wordWrap())
        xy += QStringLiteral("(WW)");
    lblXY->setText(xy);
    const QLocale locale;
    const int selected = s.selLength();
    if (selected > 0)
        lblSize->setText(QStringLiteral("Bytes Sel : ") + locale.toString(savedBytes(s, start, selected, form)));
    else
        lblSize->setText(QStringLiteral("File Size : ") + locale.toString(savedBytes(s, 0, s.textLength(), form))
                         + QStringLiteral(" bytes"));
}

void StatusBar::showHint(const QString &text)
{
    toolTipTicks = 0;
    lblToolTip->setText(text);
    lblToolTip->setVisible(true);
    tmrToolTip->start();
}

void StatusBar::setIdleHint(const QString &text)
{
    toolTipCaption = text;
    lblToolTip->setText(text);
}

void StatusBar::setText(const QString &text)
{
    lblToolTip->setText(text);
}

void StatusBar::tick()
{
    ++toolTipTicks;
    if (toolTipTicks >= 20) {
        lblToolTip->setText(toolTipCaption);
        lblToolTip->setVisible(true);
        tmrToolTip->stop();
        toolTipTicks = 0;
        return;
    }
    // Blinking draws the eye: shown on odd ticks, hidden on even ones.
    lblToolTip->setVisible(!m_settings.BlinkAlert || toolTipTicks % 2 == 1);
}

bool StatusBar::overwriteShown() const
{
    return lblINS->text() == QLatin1String("OVR");
}

void StatusBar::refreshCapsLock()
{
    if (const auto on = capsLockState())
        lblCaps->setVisible(*on);
}

bool StatusBar::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonDblClick || (watched != lblOS && watched != lblUC))
        return QObject::eventFilter(watched, event);
    const auto run = [](const std::function<void()> &conversion) {
        if (conversion)
            conversion();
    };
    if (watched == lblOS) {
        const QString state = lblOS->text().toLower();
        if (state == QLatin1String("dos"))
            run(m_conversions.dosToUnix);
        else if (state == QLatin1String("unix"))
            run(m_conversions.unixToDos);
    } else if (lblUC->text().toLower() == QLatin1String("ascii")) {
        run(m_conversions.asciiToUnicode);
    } else {
        run(m_conversions.unicodeToAscii);
    }
    return true;
}
