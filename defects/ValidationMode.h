#ifndef VALIDATIONMODE_H
#define VALIDATIONMODE_H

// The situation a validation of the user list runs in; passed on as an int.
enum ValidationMode {
    ValidateAfterAdd = 0,
    ValidateAfterRemove = 1,
    ValidateAfterLoad = 2,
    ValidateForUpload = 3,
};

#endif
