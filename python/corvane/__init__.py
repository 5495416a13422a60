"""Corvane's traffic engine for NumPy and pandas.

Erlang B (blocking, lines, traffic), extended Erlang B with retrials,
Erlang C and Erlang A staffing, Engset, overflow traffic and the traffic
offered behind a carried traffic, exact to 1e-12 relative and with exact
counts, as vectorised functions: arguments broadcast as in NumPy, scalars give scalars,
arrays give float64 arrays (counts as int64), ``out=`` is filled in place,
pandas Series give Series, and the GIL is released while the engine runs.

Units: traffic in erlangs; lines, agents and sources as counts (whole or
fractional where a function takes them); probabilities as fractions of 1;
times in any one unit, the same for the handling time, the target time, the
patience and the average wait. Results with several parts are named tuples.

An argument outside the domain raises :class:`DomainError`, a ValueError
whose message is the engine's (for an array, with the first bad element's
index). Under ``errstate(domain="nan")`` such elements give NaN instead, and
counts then come back as float64 so that NaN has a place.

>>> import corvane
>>> corvane.erlang_b_lines(traffic=10, blocking=0.01)
18
"""

import collections
import contextlib
import contextvars
import inspect

import numpy as np

from . import _engine
from ._docs import DOCS

__all__ = ["DomainError", "errstate", "geterr", "seterr"]
__version__ = _engine.version


class DomainError(ValueError):
    """An argument outside the engine's domain.

    Attributes: ``argument`` (named as the function's keyword, or None for
    an error that names none), ``value`` (the value given), ``rule`` (what it
    must be), ``index`` (the element's index in the broadcast result; None
    for scalars) and ``count`` (how many elements were outside the domain).
    """

    def __init__(self, message, argument=None, value=None, rule=None, index=None, count=1):
        super().__init__(message)
        self.argument, self.value, self.rule = argument, value, rule
        self.index, self.count = index, count


_domain = contextvars.ContextVar("corvane_domain", default="raise")
_ACTIONS = ("raise", "nan")


def geterr():
    """The current error policy, as a dict: ``{"domain": "raise" or "nan"}``."""
    return {"domain": _domain.get()}


def seterr(domain=None):
    """Set the policy for arguments outside the domain; returns the old one.

    ``"raise"`` (the default) raises DomainError; ``"nan"`` gives NaN for each
    such element (counts then come back as float64). The policy belongs to
    the current thread (and asyncio task). Prefer :func:`errstate`.
    """
    old = geterr()
    if domain is not None:
        if domain not in _ACTIONS:
            raise ValueError(f"domain must be one of {_ACTIONS}, got {domain!r}")
        _domain.set(domain)
    return old


@contextlib.contextmanager
def errstate(domain="raise"):
    """Context manager for the error policy, like numpy.errstate.

    >>> import corvane
    >>> with corvane.errstate(domain="nan"):
    ...     corvane.erlang_b_lines(traffic=[10, -2], blocking=0.01)
    array([18., nan])
    """
    if domain not in _ACTIONS:
        raise ValueError(f"domain must be one of {_ACTIONS}, got {domain!r}")
    token = _domain.set(domain)
    try:
        yield
    finally:
        _domain.reset(token)


def _domain_error(ufunc, counts, args, result, trouble):
    """The error for the first element, in C order, outside the domain."""
    count, argument, value, rule, message = trouble
    first = np.asarray(result[0] if isinstance(result, tuple) else result)
    index = None
    if first.ndim > 0:
        bad = first == -1 if counts[0] else np.isnan(first)
        index = tuple(int(i) for i in np.unravel_index(int(np.argmax(bad)), first.shape))
        # The loops may run in memory order: ask the engine about this element.
        try:
            ufunc(*[np.broadcast_to(np.asarray(a), first.shape)[index] for a in args])
        except ValueError:  # inputs that do not broadcast to the result (aligned pandas)
            pass
        again = _engine.take_trouble()
        if again is not None:
            _, argument, value, rule, message = again
    keyword = argument  # the engine's argument as this module's keyword names it
    if index is not None:
        where = index[0] if len(index) == 1 else index
        message = f"element {where}: {message}"
        if count > 1:
            message += f" ({count} elements outside the domain)"
    return DomainError(message, keyword or None, value, rule or None, index, count)


def _choice(name, variants):
    """The parameters of a function over one or more ufuncs, and how a call picks one.

    Table names: "f" is one ufunc; "f[kind]" takes its last argument as the
    keyword `kind`, exactly one of the kinds given; "f[key=word]" takes the
    keyword `key`, one of the words, the first its default.
    """
    P = inspect.Parameter
    arguments = variants[0][1][1]
    kinds = [v for v, _ in variants]
    by = {v.partition("=")[2] or v: entry[0] for v, entry in variants}
    if kinds == [""]:
        fixed, extra = list(arguments), []
    elif "=" in kinds[0]:
        key = kinds[0].partition("=")[0]
        fixed, extra = list(arguments), [P(key, P.KEYWORD_ONLY, default=next(iter(by)))]
    else:
        fixed, extra = list(arguments[:-1]), [P(k, P.KEYWORD_ONLY, default=None) for k in by]
    parameters = [P(a, P.POSITIONAL_OR_KEYWORD) for a in fixed] + extra
    signature = inspect.Signature(parameters + [P("out", P.KEYWORD_ONLY, default=None)])

    def choose(args, kwargs):
        if not extra:
            if kwargs or len(args) != len(fixed):
                args = signature.bind(*args, **kwargs).args
            return variants[0][1][0], args
        bound = signature.bind(*args, **kwargs)
        bound.apply_defaults()
        args = [bound.arguments[a] for a in fixed]
        if "=" in kinds[0]:
            word = bound.arguments[key]
            if word not in by:
                raise ValueError(f"{key} must be one of {', '.join(by)}, got {word!r}")
            return by[word], args
        given = [k for k in by if bound.arguments[k] is not None]
        if len(given) != 1:
            raise TypeError(f"{name}() takes exactly one of {', '.join(by)} ({len(given)} given)")
        return by[given[0]], args + [bound.arguments[given[0]]]

    return signature, choose


def _function(name, variants):
    _, fields, counts, result = variants[0][1][1:]
    signature, choose = _choice(name, variants)
    named = None
    if result:
        # One class for each kind of result, shared by the functions giving it.
        named = globals().get(result) or collections.namedtuple(result, fields, module=__name__)
        if result not in __all__:
            globals()[result] = named
            __all__.append(result)
    has_counts = any(counts)

    def function(*args, out=None, **kwargs):
        ufunc, args = choose(args, kwargs)
        options = {} if out is None else {"out": out}
        nan = _domain.get() == "nan"
        if nan and has_counts:
            options["dtype"] = np.float64
        _engine.take_trouble()  # left over from a call that did not finish
        value = ufunc(*args, **options)
        trouble = _engine.take_trouble()
        if trouble is not None and not nan:
            raise _domain_error(ufunc, counts, args, value, trouble)
        return named._make(value) if named else value

    function.__name__ = function.__qualname__ = name
    function.__module__ = __name__
    function.__signature__ = signature
    function.__doc__ = DOCS.get(name)
    return function


_variants = {}
for _key, _spec in _engine.functions.items():
    _name, _, _kind = _key.partition("[")
    _variants.setdefault(_name, []).append((_kind.rstrip("]"), _spec))
for _name, _list in _variants.items():
    globals()[_name] = _function(_name, _list)
    __all__.append(_name)
del _variants, _key, _spec, _name, _kind, _list
