#pragma once
// The eight process-wide tuning values: the race's follow camera and the ODE
// contact softness of kart chassis and wheels. config.xml overrides the
// built-in defaults at start-up and the debug console changes them while a
// race runs.
extern float cameraFov;
extern float cameraDistance;
extern float cameraHeight;
extern float cameraSpeedfactor;
extern float kartERP;
extern float kartCFM;
extern float wheelsERP;
extern float wheelsCFM;

// Back to the built-in defaults (start-up, and tests that must not see each
// other's values).
void resetTuningValues();
