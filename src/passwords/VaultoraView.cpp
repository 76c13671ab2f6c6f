#include "passwords/VaultoraView.h"

CVaultoraView::CVaultoraView() = default;

CVaultoraView::~CVaultoraView() = default;
