#pragma once

namespace engine {

// The script worker's side of runJavaScript() (engine/javascript_worker.h): answers the requests arriving on
// standard input, in the worker's own process, until the program closes the channel. Returns the worker's exit
// status.
int serveJavaScriptRequests();

}  // namespace engine
