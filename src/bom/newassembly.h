#pragma once
// Creating a new assembly: its part record and its first empty bill lines.
#include <QString>
#include <functional>

enum class AddAssemblyResult {
    Added,
    EmptyName, // "Error. Enter Assembly Name"
    Exists,    // "Error. Assembly already exists"
    Failed,    // the database refused the writes; nothing was kept
};

constexpr int kMaxNewAssemblyRows = 20;

// The number of lines to create from the typed text: negative becomes 1,
// more than 20 becomes 20, text that is not a number 0.
int NewAssemblyRowCount(const QString& rowsText);

// Writes the assembly's PartList record (unless the part exists) and its lines
// 1..n in one transaction, reporting each line to progress(i, n). Problems are
// shown to the user; the result says what happened. The name is stored in
// upper case, as every assembly name is.
AddAssemblyResult AddAssembly(const QString& name, const QString& rowsText,
                              const std::function<void(int position, int count)>& progress = {});
