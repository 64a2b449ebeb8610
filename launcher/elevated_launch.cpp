// Launches through an elevated instance of this class. Not available yet: the page's call stops
// early and the result is left as it was.
#include "launcher_ctrl.h"

STDMETHODIMP CQuellisLauncherVistaPlay::ExecuteVista(LONG*) { return S_FALSE; }

STDMETHODIMP CQuellisLauncherVistaPlay::ExecuteVistaBoardGame(LONG*) { return S_FALSE; }
