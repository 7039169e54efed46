// The About panel: a large logo at rest; a click shows a small logo with the
// copyright, project and contact lines, whose links open on the desktop.
#pragma once

#include <QFrame>
#include <QString>

class QLabel;
class QToolButton;

class TFAbout : public QFrame {
    Q_OBJECT

  public:
    explicit TFAbout(QWidget* parent);

    void AboutPictureClick();
    void WebLinkClick();
    void SalesLinkClick();
    void SupportLinkClick();
    void LinkMouseMove(QLabel* link);
    void LinkMouseLeave(QLabel* link);

    QToolButton* sbAbout1 = nullptr;
    QToolButton* sbAbout2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* lbSales = nullptr;
    QLabel* lbSupport = nullptr;
    QLabel* lbHttp = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildWidgets();
    QLabel* MakeLabel(const QString& text, QRect place, bool link);
    void SetDetailsVisible(bool details);
};

extern const char* const AboutWebAddress;
extern const char* const AboutSalesAddress;
extern const char* const AboutSupportAddress;
