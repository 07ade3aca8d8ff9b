#pragma once
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

// A control of a dialog by object name; the test fails when there is none.
template <typename T>
T* Child(QWidget& parent, const char* name)
{
    T* child = parent.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// Clicks a button of the dialog as soon as its modal loop runs; before() may set controls first, as
// the user would.
inline void ClickWhenShown(QDialog& dialog, const char* button, std::function<void()> before = {})
{
    QTimer::singleShot(0, &dialog, [&dialog, button, before] {
        if (before)
            before();
        if (auto* target = dialog.findChild<QPushButton*>(button))
            target->click();
        else {
            ADD_FAILURE() << "no button " << button;
            dialog.reject();
        }
    });
}
