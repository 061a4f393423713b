#pragma once
// Helpers for driving the secondary windows in GUI tests: a clean App(), controls found by
// object name, answers to real modal dialogs, and rows built from field texts.

#include <QApplication>
#include <QString>
#include <QTest>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "diary/record.h"

namespace windowtest {

// App() back to nothing: no windows, no list, no diary, Czech regional settings.
void ResetApp();

// The child of `root` named `name`, or nullptr (use through CONTROL for a readable failure).
template <typename T>
T* Control(QObject* root, const char* name) {
    return root ? root->findChild<T*>(QString::fromLatin1(name)) : nullptr;
}

// Runs `action` on the modal widget as soon as one is up (the caller then starts the modal
// showing). A dialog the action leaves open is closed after a while, so a failing check never
// hangs the test; the flag tells whether the action ran at all.
std::shared_ptr<bool> WhenModal(std::function<void(QWidget* modal)> action);

// A record from its number and its eleven field texts in file order (UTF-8 test literals,
// stored as code page 1250).
diary::DiaryRecord Record(const char* number, std::initializer_list<const char*> fields);
diary::RecordRow Row(const char* number, std::initializer_list<const char*> fields);

// UTF-8 literal to code page 1250 bytes.
std::string Cp(const char* utf8);

}  // namespace windowtest

#define CONTROL(var, Type, root, name)                     \
    auto* var = windowtest::Control<Type>((root), (name)); \
    QVERIFY2(var != nullptr, "missing control " name)
