#include "game/race/KartController.h"

#include "game/race/Kart.h"

void KartController::release()
{
    if (m_refCount > 0 && --m_refCount == 0)
        delete this;
}

bool KartController::isBusy() const
{
    if (!m_kart)
        return false;
    const Kart& k = *m_kart;
    return k.m_oilHitSteps > 0 || k.m_bananaHitSteps > 0 || k.m_decoyHitSteps > 0 || k.m_snowballHitSteps > 0 ||
           k.m_spinHitSteps > 0 || k.m_pumpkinHitSteps > 0 || k.m_alienHitSteps > 0 || k.m_rocketHitSteps > 0 ||
           k.m_holeSteps > 0;
}
