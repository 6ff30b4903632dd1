#pragma once

#include <QColor>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QVariantMap>
#include <QWidget>

#include <functional>
#include <optional>

#if defined(PALISADE_LIBRARY)
#define PALISADE_EXPORT Q_DECL_EXPORT
#else
#define PALISADE_EXPORT Q_DECL_IMPORT
#endif

class QMessageBox;

// The flat tool-bar button: flat at rest, raised while hovered, sunken while pressed.
class PALISADE_EXPORT FlatButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
    Q_PROPERTY(QColor BackColor READ backColor WRITE setBackColor)
    Q_PROPERTY(QColor ForeColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(QFont Font READ captionFont WRITE setCaptionFont)
    Q_PROPERTY(QString FontName READ fontName WRITE setFontName)
    Q_PROPERTY(double FontSize READ fontSize WRITE setFontSize)
    Q_PROPERTY(bool FontBold READ fontBold WRITE setFontBold)
    Q_PROPERTY(bool FontItalic READ fontItalic WRITE setFontItalic)
    Q_PROPERTY(bool FontUnderline READ fontUnderline WRITE setFontUnderline)
    Q_PROPERTY(bool FontStrikethru READ fontStrikethru WRITE setFontStrikethru)
    Q_PROPERTY(QPixmap Picture READ picture WRITE setPicture)
    Q_PROPERTY(QPixmap Background READ background WRITE setBackground)
    Q_PROPERTY(int PicAlign READ picAlign WRITE setPicAlign)
    Q_PROPERTY(int Style READ buttonStyle WRITE setButtonStyle)
    Q_PROPERTY(int ButtonType READ buttonType WRITE setButtonType)
    Q_PROPERTY(bool Hit READ hit WRITE setHit)
    Q_PROPERTY(bool Sound READ sound WRITE setSound)
    Q_PROPERTY(bool GreyIcon READ greyIcon WRITE setGreyIcon)
    Q_PROPERTY(bool Default READ isDefault WRITE setDefault)
    Q_PROPERTY(bool Cancel READ isCancel WRITE setCancel)
    Q_PROPERTY(int Cursor READ cursorType WRITE setCursorType)

public:
    static constexpr int NormalButton = 0;
    static constexpr int Separator = 9;

    enum class Look { Flat, Raised, Pressed };

    explicit FlatButton(QWidget *parent = nullptr);
    ~FlatButton() override;

    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    QColor backColor() const;
    void setBackColor(const QColor &color);
    QColor foreColor() const;
    void setForeColor(const QColor &color);

    // The caption font: the widget's font with the fields below laid over it.
    QFont captionFont() const;
    void setCaptionFont(const QFont &font);
    QString fontName() const { return m_fontName; }
    void setFontName(const QString &name);
    double fontSize() const { return m_fontSize; }
    void setFontSize(double size);
    bool fontBold() const { return m_fontBold; }
    void setFontBold(bool on);
    bool fontItalic() const { return m_fontItalic; }
    void setFontItalic(bool on);
    bool fontUnderline() const { return m_fontUnderline; }
    void setFontUnderline(bool on);
    bool fontStrikethru() const { return m_fontStrikethru; }
    void setFontStrikethru(bool on);

    QPixmap picture() const { return m_picture; }
    void setPicture(const QPixmap &picture);
    QPixmap background() const { return m_background; }
    void setBackground(const QPixmap &background);

    // Out-of-range values are ignored.
    int picAlign() const { return m_picAlign; }
    void setPicAlign(int align);
    int buttonStyle() const { return m_style; }
    void setButtonStyle(int style);
    int buttonType() const { return m_buttonType; }
    void setButtonType(int type);

    bool hit() const { return m_hit; }
    void setHit(bool on);
    bool sound() const { return m_sound; }
    void setSound(bool on) { m_sound = on; }
    bool greyIcon() const { return m_greyIcon; }
    void setGreyIcon(bool on);
    bool isDefault() const { return m_default; }
    void setDefault(bool on) { m_default = on; }
    bool isCancel() const { return m_cancel; }
    void setCancel(bool on) { m_cancel = on; }
    // Mouse-pointer numbers 0-15 and 99 (hand); other values are ignored.
    int cursorType() const { return m_cursorType; }
    void setCursorType(int type);

    // Only values that differ from their defaults are written.
    void writeProperties(QVariantMap &bag) const;
    // Missing or unusable entries fall back to their defaults.
    void readProperties(const QVariantMap &bag);

    // "" just released, "OFF" not hovered, "ON" hovered or pressed.
    QString hoverState() const;
    Look look() const { return m_look; }
    // Where picture and caption are drawn now (pressed look included).
    QRect pictureRect() const;
    QRect captionRect() const;
    // The grey version of the picture, shown at rest when GreyIcon is set.
    QImage greyPicture() const { return m_greyPicture; }

    void ChangeStyle();
    void FlatButtonOver();
    void FlatButtonOn();
    void FlatButtonOff();
    void ButtonRePaint();
    void GreyPic();
    void About();

    // Replaces how the hover sound is played; an empty function restores the desktop sound.
    static void setSoundPlayer(std::function<void()> player);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void Click();
    void DblClick();
    void MouseMove();
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void MouseOver();
    void MouseOut();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    enum class Hover { Released, Off, On };

    bool isSeparator() const { return m_buttonType == Separator; }
    int twipsToPixels(int twips) const;
    QSize pictureSize() const;
    QSize captionSize() const;
    bool isOver(const QPoint &globalPos) const;
    void changeStyleAt(const QPoint &globalPos);
    void applyHover(bool over);
    void trackHover(const QPoint &globalPos);
    bool handlesKey(int key) const;
    void activateByKey(int key);
    void attachToForm();
    void playSound();

    QString m_caption;
    std::optional<QColor> m_backColor;
    std::optional<QColor> m_foreColor;
    QString m_fontName;
    double m_fontSize = 0;
    bool m_fontBold = false;
    bool m_fontItalic = false;
    bool m_fontUnderline = false;
    bool m_fontStrikethru = false;
    QPixmap m_picture;
    QImage m_greyPicture;
    QPixmap m_background;
    int m_picAlign = 0;
    int m_style = 0;
    int m_buttonType = NormalButton;
    bool m_hit = false;
    bool m_sound = false;
    bool m_greyIcon = false;
    bool m_default = false;
    bool m_cancel = false;
    int m_cursorType = 0;

    Hover m_hover = Hover::Off;
    Look m_look = Look::Flat;
    bool m_leftPressed = false;
    bool m_hoverAnnounced = false;
    QSize m_lastHint;
    QPoint m_picturePos;
    QPoint m_captionPos;
    QPoint m_lastCursorPos;
    QTimer m_timer;
    QPointer<QWidget> m_form;
};
