#pragma once

#include "CProjectSettings.h"

#include <QUndoCommand>

class CProjectDocument;

// A change of the project's settings, such as its decision rule: the
// document re-evaluates the whole tree each way.
class CSettingsCommand : public QUndoCommand
{
public:
    CSettingsCommand(CProjectDocument &document, const CProjectSettings &newSettings);

    void undo() override;
    void redo() override;

private:
    void Apply(const CProjectSettings &settings);

    CProjectDocument &document;
    CProjectSettings oldSettings;
    CProjectSettings newSettings;
};
