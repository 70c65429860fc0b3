#pragma once

// Thrown out of a loading frame when the user quits while a level loads; the
// loader's caller catches it and abandons the load.
class LoadingAbortedException {};
