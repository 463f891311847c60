#pragma once

#include "framework/Application.h"

#include <functional>
#include <string>

// The program's name, version, icon and translations, as the framework needs
// them at start-up.
const ProgramInfo& Program();

// The process's life, in order: runtime initialisation, the class tables,
// the main routine (early start-up, framework initialisation with the late
// start-up callback, the event loop), finalisers and exit. A start that hands
// its requests to the running program ends with status 0 right after the
// runtime's initialisation; a step that stops on an exception ends the
// process with status 1, after writing the exception's class and message to
// standard error.
int RunProcess(int argc, char** argv);

void _Main();
void _EarlyStartup();
void _InitPluginEntrypoints();
void _InitFileTypes();
void _NewAppInstance();
void _ApplicationAddMenuHandlers();
void _LateStartup();
void _MakeDefaultView();

// Calls the watcher with the name of each step of start-up as it begins; an
// empty function stops watching. For tests.
void _WatchStartupSteps(std::function<void(const std::string& step)> watcher);
