#include "core/application.h"

#include "ModalDriver.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// An error escaping a user action is shown with its own text, and the program goes on.
TEST(ApplicationGuard, ShowsAnErrorThatEscapesAUserAction)
{
    ASSERT_NE(qobject_cast<TFApplication*>(QCoreApplication::instance()), nullptr);
    QPushButton button("Run");
    int runs = 0;
    QObject::connect(&button, &QPushButton::clicked, [&runs] {
        ++runs;
        throw std::runtime_error("Cannot read \"/data/x\": Permission denied");
    });
    button.show();
    for (int round = 0; round < 2; ++round) {
        QString shown;
        ClickInNextModal("", [&](QWidget* box) {
            shown = box->findChild<QLabel*>("qt_msgbox_label")->text();
            box->close();
        });
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ");
        QCoreApplication::sendEvent(&button, &press);
        QCoreApplication::sendEvent(&button, &release);
        EXPECT_EQ(shown, "Cannot read \"/data/x\": Permission denied");
    }
    EXPECT_EQ(runs, 2);
}

} // namespace
