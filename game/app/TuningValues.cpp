#include "game/app/TuningValues.h"

float cameraFov = 3.2f;
float cameraDistance = 4.0f;
float cameraHeight = 0.5f;
float cameraSpeedfactor = 0.02f;
float kartERP = 1.0f;
float kartCFM = 0.0f;
float wheelsERP = 1.0f;
float wheelsCFM = 0.0f;

void resetTuningValues()
{
    cameraFov = 3.2f;
    cameraDistance = 4.0f;
    cameraHeight = 0.5f;
    cameraSpeedfactor = 0.02f;
    kartERP = 1.0f;
    kartCFM = 0.0f;
    wheelsERP = 1.0f;
    wheelsCFM = 0.0f;
}
