#pragma once

#include <QWidget>

#if defined(PALISADE_LIBRARY)
#define PALISADE_EXPORT Q_DECL_EXPORT
#else
#define PALISADE_EXPORT Q_DECL_IMPORT
#endif

// The flat tool-bar button.
class PALISADE_EXPORT FlatButton : public QWidget {
    Q_OBJECT
public:
    explicit FlatButton(QWidget *parent = nullptr);
};
