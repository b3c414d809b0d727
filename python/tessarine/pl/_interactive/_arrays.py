"""Read-only arrays that figures share instead of copying."""

import numpy as np


class FrozenArray(np.ndarray):
    """A read-only numpy array over a buffer the compiled core filled.

    plotly.py deep-copies every trace it is handed; an array nobody can write
    to is safely shared, so copying one only costs memory and time.
    """

    def __deepcopy__(self, memo):
        return self

    def __copy__(self):
        return self

    def __reduce__(self):
        # Pickles and unpickles as a plain array: the sharing is a property of this process.
        return np.asarray(self).copy().__reduce__()
