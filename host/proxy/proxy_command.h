// `avexhost proxy`: an HTTP/1.1 forward proxy that filters through the real
// plug-in as the proxy server does (or, with --pass-through, relays only).
#pragma once

namespace avex::host::proxy {

// The arguments after `proxy`; the exit code (2 for wrong arguments).
int RunProxyCommand(int argc, char** argv);

}  // namespace avex::host::proxy
