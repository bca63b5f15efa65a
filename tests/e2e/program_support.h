#pragma once

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "x11_session_support.h"

// The program itself under test: started on the private X server and session bus with a home of its own.
namespace programtest {

using namespace std::chrono_literals;

// The program built beside the tests.
const std::string& quilletPath();

// Polls the condition (without running a Qt loop) until it holds or the time is up.
bool waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s);

// A dbus-send call on the session bus; its printed reply.
std::string busCall(const std::string& destination, const std::string& path, const std::string& method,
                    const std::vector<std::string>& arguments = {});
// The process that owns the program's bus name, -1 when none does.
pid_t busNameOwnerPid();
// Answered only once the instance's event loop runs its start-up work.
bool instanceAnswers();

// Points the XDG folders (config, data, cache, runtime) of this process and the programs it starts at `home`, and
// gives sanitizer builds of the program the suppressions of the uninstrumented libraries.
void useHome(const std::string& home);
// The embedding tray of x11test::startEmbeddingTray, given the time to map its panel.
std::unique_ptr<x11test::ChildProcess> startTray();
// The middle of our icon docked in trayer's panel, if it is there.
std::optional<std::pair<int, int>> trayIconCentre();

// The connections to the X server that the process holds (each as the base of its resource ids).
std::vector<uint32_t> xConnectionsOf(pid_t pid);

// The process of the client that owns the CLIPBOARD selection; -1 when nobody owns it or it cannot be told.
pid_t clipboardOwnerPid();

// A preferences file of earlier launches (so that no first-launch welcome opens) with the given entries.
std::string preferencesFile(const std::string& entries);

}  // namespace programtest
