#pragma once
// koltctl commands of engineering changes: revisions, comparison,
// where-used, replace everywhere and the change log.
struct CtlContext;

// "bom revise|history|diff ..."; -1 when the first argument is none of them.
int RunBomRevisionCommand(CtlContext& ctx);
// where-used, replace, log.
void RegisterEngineeringCommands();
