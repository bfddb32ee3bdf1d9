#ifndef ZORVIKCPP_H
#define ZORVIKCPP_H

// The camera SDK's interface, all of it.
#include <ZorvikCPP/Camera.h>
#include <ZorvikCPP/Feature.h>
#include <ZorvikCPP/ICameraListObserver.h>
#include <ZorvikCPP/ZorvikSystem.h>
#include <ZorvikCPP/ZvkCommonTypes.h>

#endif
