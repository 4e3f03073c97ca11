#pragma once

#include <QString>

namespace mojing {

// Values the whole program shares while it runs (they are not stored unless a window says so).
struct ProgramState {
    QString osBitness = QStringLiteral("64");
    QString osDescription;
    double maxFileSizeMB = 10.0;
    QString currentSaveFolder; // always ends with a separator once confirmed
    bool saveFolderCancelled = false;
    bool nameBySourceFile = false;
    int promptSaveFolderOnHarvest = 1;
};

} // namespace mojing
