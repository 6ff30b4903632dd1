#pragma once

#include "TipList.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
struct Settings;

// Tip of the day: one tip at a time, forwards and backwards, and whether to show it at start-up.
class frmTip : public QDialog {
    Q_OBJECT
public:
    // tipsFile: the path of tipofday.txt.
    frmTip(Settings &settings, const QString &tipsFile, QWidget *owner);

    bool LoadTips(const QString &path);
    void DisplayCurrentTip();
    const TipList &tips() const { return m_tips; }
    // Puts the shown tip's number in CurrentTip; true when that changed it.
    bool storeShownTip();

    QLabel *lblTipText;
    QLabel *lblTipXY;
    QCheckBox *chkLoadTipsAtStartup;
    QPushButton *cmdNextTip;
    QPushButton *Command1;
    QPushButton *cmdOK;

signals:
    // The start-up box was clicked; ShowTip holds its new state and wants writing now.
    void showTipChanged();
    // Next or Previous showed another tip; CurrentTip holds it and wants writing now.
    void tipShown();

private:
    Settings &m_settings;
    TipList m_tips;
};
