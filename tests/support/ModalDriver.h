// Drives modal dialogs in Qt tests: a dialog's exec() blocks the test, so the test schedules what
// the user does with it before the call that opens it. The action runs once the next modal
// window (other than those already open) is shown; the polling is bounded, and a dialog that
// never opens fails the test through the returned flag.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace shelfmark::testing {

class ModalDriver {
  public:
    using Action = std::function<void(QWidget*)>;

    // Runs `action` on the next modal window that is not `ignore` (an outer dialog already open).
    void onNextModal(Action action, QWidget* ignore = nullptr) {
        ++pending_;
        auto* timer = new QTimer(qApp);
        timer->setInterval(20);
        QObject::connect(timer, &QTimer::timeout, timer,
                         [this, timer, action = std::move(action), ignore, ticks = 0]() mutable {
                             QWidget* modal = QApplication::activeModalWidget();
                             if (modal != nullptr && modal != ignore && modal->isVisible()) {
                                 timer->stop();
                                 timer->deleteLater();
                                 --pending_;
                                 action(modal);
                             } else if (++ticks > 500) {  // about ten seconds: it never opened
                                 timer->stop();
                                 timer->deleteLater();
                                 --pending_;
                                 ++missed_;
                             }
                         });
        timer->start();
    }

    // Clicks the button whose text (without '&') is `text` in the next modal window.
    void clickOnNextModal(const QString& text, QWidget* ignore = nullptr) {
        onNextModal([text](QWidget* w) { ClickButton(w, text); }, ignore);
    }

    // Clicks the button of `window` showing `text` ('&' ignored); false when there is none.
    static bool ClickButton(QWidget* window, const QString& text) {
        for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
            if (button->text().remove(QLatin1Char('&')) == QString(text).remove(QLatin1Char('&'))) {
                button->click();
                return true;
            }
        }
        return false;
    }

    // Whether every scheduled action ran.
    bool allRan() const { return pending_ == 0 && missed_ == 0; }

  private:
    int pending_ = 0;
    int missed_ = 0;
};

}  // namespace shelfmark::testing
