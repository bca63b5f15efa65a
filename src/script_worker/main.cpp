// quillet-script-worker: runs the user's scripts for Quillet, apart from it. Quillet starts it with one end of
// a socket on the standard input and output; it is not meant to be started by hand.
#include "script_worker/javascript_worker_service.h"

int main() { return engine::serveJavaScriptRequests(); }
