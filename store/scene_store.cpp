#include "store/scene_store.h"

SceneStore theSceneStore;
